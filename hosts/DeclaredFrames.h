// What an input file's header promises. libsndfile quietly shortens a WAV or
// AIFF file's sample data to what the file holds, so a file cut short reads
// like a complete shorter one; the header still says how long it was.
// Called on the program's single thread.

#pragma once

#include <sndfile.h>

#include <string>

// Frames the sample-data chunk of the WAV (RIFF or RIFX) or AIFF file at
// `path` declares, for the sample type in `info`; -1 for other files, other
// sample types, or a header that cannot be read.
sf_count_t DeclaredFrames(const std::string& path, const SF_INFO& info);
