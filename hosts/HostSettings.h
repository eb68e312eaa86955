// What the host programs share of their command lines and set-up: values
// typed for parameters, the search for the component, and the input feed
// a unit pulls its audio through. Single-threaded, like the programs.

#pragma once

#include "hosts/HostUnit.h"

#include <string>
#include <vector>

// Locale-independent: a decimal point is a point whatever the environment says.
bool ParseNumber(const std::string& s, double* out);
std::string Join(const std::vector<std::string>& v);
// "0 to 1" for the parameter's range.
std::string RangeText(const HostParameter& p);
// A real value in range, or one of the parameter's value names in any letter case.
bool ParseValue(const HostParameter& p, const std::string& text, double* value, std::string* error);
// The names as the unit lists them, for messages.
std::vector<std::string> ParameterNames(const HostUnit& unit);
std::vector<std::string> PresetNames(const HostUnit& unit);

// Hosts on the platform find components in their system folders; a build
// tree has the bundle next to its bin/ folder, so that is searched when
// AUDIO_COMPONENT_PATH is not set.
void DefaultComponentPath(const char* argv0);

// The input side: the unit pulls each block through FeedInput.
struct Feed
{
  const float* interleaved = nullptr;  // the current block
  UInt32 fileChannels = 1;
  UInt32 frames = 0;                   // frames of the block that hold audio
};

// Called by the unit from inside AudioUnitRender, on the program's thread; no locks, no allocation.
OSStatus FeedInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                   AudioBufferList* io);
