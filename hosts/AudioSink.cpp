#include "hosts/AudioSink.h"

#include "hosts/StagedFile.h"

#include <unistd.h>

#include <cstdint>
#include <cstring>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "WAV samples are written in the machine's byte order");

namespace {

std::string Trimmed(const char* text)
{
  std::string s = text;
  while (!s.empty() && (s.back() == '.' || s.back() == '\n')) s.pop_back();
  return s;
}

class SndfileSink : public AudioSink
{
public:
  SndfileSink(SNDFILE* file, std::string name)
    : mFile(file), mName(std::move(name))
  {
  }
  ~SndfileSink() override
  {
    if (mFile) sf_close(mFile);
  }

  bool Write(const float* frames, sf_count_t count, std::string* error) override
  {
    if (sf_writef_float(mFile, frames, count) == count) return true;
    *error = "cannot write " + mName + ": " + Trimmed(sf_strerror(mFile));
    return false;
  }

  bool Close(std::string* error) override
  {
    SNDFILE* f = mFile;
    mFile = nullptr;
    if (sf_close(f) == 0) return true;
    *error = "cannot write " + mName + ": " + Trimmed(sf_strerror(nullptr));
    return false;
  }

private:
  SNDFILE* mFile;
  std::string mName;
};

void Put32(uint8_t* p, uint32_t v) { memcpy(p, &v, 4); }
void Put16(uint8_t* p, uint16_t v) { memcpy(p, &v, 2); }

class WavStreamSink : public AudioSink
{
public:
  WavStreamSink(int fd, std::string name, int channels)
    : mFd(fd), mName(std::move(name)), mChannels(channels)
  {
  }

  bool WriteHeader(int rate, sf_count_t expectedFrames, std::string* error)
  {
    const uint64_t frameBytes = (uint64_t)mChannels * sizeof(float);
    const uint64_t dataBytes = expectedFrames >= 0 ? (uint64_t)expectedFrames * frameBytes : UINT64_MAX;
    const bool known = dataBytes <= 0xFFFFFFFFu - 64;
    uint8_t h[58];
    memcpy(h, "RIFF", 4);
    Put32(h + 4, known ? (uint32_t)(dataBytes + 50) : 0xFFFFFFFFu);
    memcpy(h + 8, "WAVEfmt ", 8);
    Put32(h + 16, 18);
    Put16(h + 20, 3);  // IEEE float
    Put16(h + 22, (uint16_t)mChannels);
    Put32(h + 24, (uint32_t)rate);
    Put32(h + 28, (uint32_t)(rate * frameBytes));
    Put16(h + 32, (uint16_t)frameBytes);
    Put16(h + 34, 32);
    Put16(h + 36, 0);
    memcpy(h + 38, "fact", 4);
    Put32(h + 42, 4);
    Put32(h + 46, known ? (uint32_t)expectedFrames : 0xFFFFFFFFu);
    memcpy(h + 50, "data", 4);
    Put32(h + 54, known ? (uint32_t)dataBytes : 0xFFFFFFFFu);
    return WriteAll(h, sizeof(h), error);
  }

  bool Write(const float* frames, sf_count_t count, std::string* error) override
  {
    return WriteAll(frames, (size_t)count * (size_t)mChannels * sizeof(float), error);
  }

  bool Close(std::string*) override { return true; }

private:
  bool WriteAll(const void* data, size_t size, std::string* error) { return ::WriteAll(mFd, data, size, mName, error); }

  int mFd;
  std::string mName;
  int mChannels;
};

}  // namespace

std::unique_ptr<AudioSink> OpenAudioSink(int fd, const std::string& name, const OutputFormat& format, int rate,
                                         int channels, sf_count_t expectedFrames, std::string* error)
{
  const bool seekable = lseek(fd, 0, SEEK_CUR) >= 0;
  if (!seekable && format.format == (SF_FORMAT_WAV | SF_FORMAT_FLOAT))
  {
    auto sink = std::make_unique<WavStreamSink>(fd, name, channels);
    if (!sink->WriteHeader(rate, expectedFrames, error)) return nullptr;
    return sink;
  }
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format.format;
  SNDFILE* sf = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
  if (!sf)
  {
    *error = "cannot write " + name + " as " + format.name + ": " + Trimmed(sf_strerror(nullptr));
    return nullptr;
  }
  // The same render gives the same bytes: no PEAK chunk, whose time stamp differs run to run.
  sf_command(sf, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  // Integer formats wrap samples beyond full scale unless told to clip them.
  if (!format.HoldsFloat()) sf_command(sf, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  return std::make_unique<SndfileSink>(sf, name);
}
