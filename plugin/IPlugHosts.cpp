#include "plugin/IPlugHosts.h"

#include <cstring>

#include "plugin/IPlugUtilities.h"

namespace
{
struct HostPattern
{
  const char* substring;
  EHost host;
};

// Order decides between names that contain several patterns (a name with both
// "live" and "logic" is Live), so entries must not be sorted.
constexpr HostPattern kHostPatterns[] = {
  { "cubase", kHostCubase },
  { "reaper", kHostReaper },
  { "nuendo", kHostNuendo },
  { "cakewalk", kHostSonar },
  { "samplitude", kHostSamplitude },
  { "fruity", kHostFL },
  { "live", kHostAbletonLive },
  { "melodyne", kHostMelodyneStudio },
  { "vstmanlib", kHostVSTScanner },
  { "aulab", kHostAULab },
  { "garageband", kHostGarageBand },
  { "forte", kHostForte },
  { "chainer", kHostChainer },
  { "audition", kHostAudition },
  { "orion", kHostOrion },
  { "sawstudio", kHostSAWStudio },
  { "logic", kHostLogic },
  { "digital", kHostDigitalPerformer },
  { "audiomulch", kHostAudioMulch },
  { "presonus", kHostStudioOne },
  { "vst3plugintesthost", kHostVST3TestHost },
  { "protools", kHostProTools },
  { "ardour", kHostArdour },
  { "standalone", kHostStandalone },
};

// Indexed by host code; codes without an entry of their own (Tracktion, n-Track,
// Melodyne, Bias and anything out of range) are named "Unknown".
constexpr const char* kHostNames[kNumHosts] = {
  "Unknown",   "Reaper",     "ProTools",         "Cubase",     "Nuendo",     "Sonar",
  "Vegas",     "FLStudio",   "Samplitude",       "Live",       "Unknown",    "Unknown",
  "Unknown",   "VSTScanner", "AULab",            "Forte",      "Chainer",    "Audition",
  "Orion",     "Unknown",    "SAWStudio",        "Logic",      "GarageBand", "DigitalPerformer",
  "Standalone", "AudioMulch", "StudioOne",       "VST3PluginTestHost", "Ardour",
};
}  // namespace

EHost LookUpHost(const char* name)
{
  if (!name) return kHostUnknown;

  // Host names are short; a longer one is judged by its first 255 characters rather
  // than overrunning the buffer.
  char lowered[256];
  size_t n = strnlen(name, sizeof(lowered) - 1);
  memcpy(lowered, name, n);
  lowered[n] = '\0';
  ToLower(lowered, lowered);

  for (const HostPattern& p : kHostPatterns)
  {
    if (strstr(lowered, p.substring)) return p.host;
  }
  return kHostUnknown;
}

void GetHostNameStr(EHost host, char* name)
{
  const char* text = (host >= 0 && host < kNumHosts) ? kHostNames[host] : "Unknown";
  strcpy(name, text);
}
