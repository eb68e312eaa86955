#pragma once

#include "plugin/IFxBase.h"

#include <cstdio>

// Writes the Turtle description of an LV2 bundle from a live plug-in: its
// ports (LV2PortLayout) with names, ranges, defaults, integer and enumeration
// properties, value labels and units, its features and state interface, and
// its preset slots as LV2 presets. Host UI thread (the build's generator);
// allocates; takes the plug-in's mutex while it applies presets to read them.
class LV2Turtle
{
public:
  struct Identity
  {
    const char* uri;         // the plug-in's URI
    const char* binary;      // the shared object's file name inside the bundle
    const char* ttl;         // the description's file name inside the bundle
    const char* pluginClass; // an lv2core class such as "SimulatorPlugin"; null or "" for none
    const char* uiBinary = nullptr; // the editor's X11 UI inside the bundle (URI + "#ui"); null for none
  };

  // manifest.ttl: the plug-in with its binary, and every preset, each pointing
  // at the description. False when a write failed.
  static bool WriteManifest(IFxBase& plug, const Identity& id, FILE* f);
  // The description itself. Presets are read by restoring each slot in turn;
  // the plug-in is left on the preset that was current. False when a write failed.
  static bool WriteDescription(IFxBase& plug, const Identity& id, FILE* f);

  // The unit a parameter label names ("dB", "Hz", "kHz", "ms", "s", "%", ...),
  // as a units: term such as "units:db"; null when the label names none.
  static const char* UnitForLabel(const char* label);
};
