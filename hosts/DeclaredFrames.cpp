#include "hosts/DeclaredFrames.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace {

int BytesPerSample(int subtype)
{
  switch (subtype)
  {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW: return 1;
    case SF_FORMAT_PCM_16: return 2;
    case SF_FORMAT_PCM_24: return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT: return 4;
    case SF_FORMAT_DOUBLE: return 8;
    default: return 0;
  }
}

uint32_t Read32(const uint8_t* p, bool bigEndian)
{
  return bigEndian ? (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3]
                   : (uint32_t)p[3] << 24 | (uint32_t)p[2] << 16 | (uint32_t)p[1] << 8 | p[0];
}

// The body of the chunk `id` in a RIFF-style file: where it starts and the
// size its header declares.
bool FindChunk(int fd, bool bigEndian, const char* id, off_t* body, uint32_t* size)
{
  off_t at = 12;
  uint8_t h[8];
  // A real file has a handful of chunks before its data.
  for (int i = 0; i < 64 && pread(fd, h, 8, at) == 8; ++i)
  {
    *size = Read32(h + 4, bigEndian);
    if (memcmp(h, id, 4) == 0)
    {
      *body = at + 8;
      return true;
    }
    at += 8 + (off_t)*size + (*size & 1);
  }
  return false;
}

}  // namespace

sf_count_t DeclaredFrames(const std::string& path, const SF_INFO& info)
{
  const int major = info.format & SF_FORMAT_TYPEMASK;
  if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX && major != SF_FORMAT_AIFF) return -1;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  uint8_t h[12];
  off_t body = 0;
  uint32_t size = 0;
  sf_count_t frames = -1;
  if (pread(fd, h, 12, 0) == 12)
  {
    const int frameBytes = BytesPerSample(info.format & SF_FORMAT_SUBMASK) * info.channels;
    const bool riff = memcmp(h, "RIFF", 4) == 0 || memcmp(h, "RIFX", 4) == 0;
    // Streamed files, whose writer could not go back, say "until the end".
    if (riff && memcmp(h + 8, "WAVE", 4) == 0 && frameBytes > 0 && FindChunk(fd, h[3] == 'X', "data", &body, &size) &&
        size != 0xFFFFFFFFu)
      frames = size / frameBytes;
    // AIFF counts its frames in the common chunk, after the channel count.
    uint8_t count[4];
    if (memcmp(h, "FORM", 4) == 0 && (memcmp(h + 8, "AIFF", 4) == 0 || memcmp(h + 8, "AIFC", 4) == 0) &&
        FindChunk(fd, true, "COMM", &body, &size) && size >= 6 && pread(fd, count, 4, body + 2) == 4)
      frames = Read32(count, true);
  }
  close(fd);
  return frames;
}
