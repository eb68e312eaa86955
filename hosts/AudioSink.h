// AudioSink: where the rendered frames go. A descriptor that can seek gets
// libsndfile in any format it writes; one that cannot (a pipe, a FIFO, a
// terminal) gets a 32-bit float WAV stream whose header is written first,
// since libsndfile must go back to finish a WAV header.

#pragma once

#include "hosts/OutputFormats.h"

#include <sndfile.h>

#include <memory>
#include <string>

class AudioSink
{
public:
  virtual ~AudioSink() = default;
  // Interleaved frames of the channel count the sink was opened with.
  // Program's single thread, between renders; no locks, may allocate.
  virtual bool Write(const float* frames, sf_count_t count, std::string* error) = 0;
  // Program's single thread, after the last Write; no locks, may allocate.
  virtual bool Close(std::string* error) = 0;
};

// `name` only names the output in errors. `expectedFrames` is the length a
// stream header declares (-1 when unknown: the header then says "until the
// end"). Null with `*error` set when the descriptor cannot take `format`.
std::unique_ptr<AudioSink> OpenAudioSink(int fd, const std::string& name, const OutputFormat& format, int rate,
                                         int channels, sf_count_t expectedFrames, std::string* error);
