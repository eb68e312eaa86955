// What an input file's header promises. libsndfile quietly shortens a WAV or
// AIFF file's sample data to what the file holds, so a file cut short reads
// like a complete shorter one; the header still says how long it was.
// Called on the program's single thread.

#pragma once

#include <sndfile.h>

#include <string>

// Frames the header of the WAV (RIFF or RIFX) or AIFF file at `path`
// declares: a WAV file's data size over the frame size of the sample type in
// `info`, an AIFF file's frame count. -1 for other files, WAV sample types
// without a fixed size, or a header that cannot be read.
sf_count_t DeclaredFrames(const std::string& path, const SF_INFO& info);
