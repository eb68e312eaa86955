#pragma once

#include "plugin/ByteChunk.h"

// Size of a preset name, terminator included.
constexpr int MAX_PRESET_NAME_LEN = 256;

// One preset slot: whether it holds a preset, its name and the state it holds.
struct IPreset
{
  bool mInitialized = false;
  char mName[MAX_PRESET_NAME_LEN];
  ByteChunk mChunk;

  IPreset();
  // Sets the name, cut at a UTF-8 character boundary to fit the field.
  void SetName(const char* name);
};
