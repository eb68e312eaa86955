#pragma once

// Host application codes (any int is a valid value to pass around; codes without an
// entry are unknown). The numbers are stable: they are compared against and
// stored by the wrappers, so new hosts only ever get new numbers.
enum EHost : int
{
  kHostUninit = -1,  // not yet identified; never the result of a lookup
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostSonar = 5,
  kHostVegas = 6,
  kHostFL = 7,
  kHostSamplitude = 8,
  kHostAbletonLive = 9,
  kHostTracktion = 10,
  kHostNTracks = 11,
  kHostMelodyneStudio = 12,
  kHostVSTScanner = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostBias = 19,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigitalPerformer = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostStudioOne = 26,
  kHostVST3TestHost = 27,
  kHostArdour = 28,

  kNumHosts
};

// Longest text GetHostNameStr writes, terminator excluded.
constexpr int kMaxHostNameLen = 18;

// Recognises a host from its application name or bundle identifier by the first of a
// fixed list of case-insensitive substrings it contains; kHostUnknown when none does.
// Null gives kHostUnknown. Any thread; no locks, no allocation.
EHost LookUpHost(const char* name);

// Writes the host's display name (at most kMaxHostNameLen characters plus the
// terminator) into name; "Unknown" for any code without a name of its own.
void GetHostNameStr(EHost host, char* name);
