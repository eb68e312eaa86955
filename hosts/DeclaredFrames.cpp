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

// The declared size of the chunk `id` in a RIFF-style file, without the
// `skip` bytes that open it; -1 when there is none.
int64_t ChunkSize(int fd, bool bigEndian, const char* id, uint32_t skip)
{
  off_t at = 12;
  uint8_t h[8];
  // A real file has a handful of chunks before its data.
  for (int i = 0; i < 64 && pread(fd, h, 8, at) == 8; ++i)
  {
    const uint32_t size = Read32(h + 4, bigEndian);
    // Streamed files, whose writer could not go back, say "until the end".
    if (memcmp(h, id, 4) == 0) return size >= skip && size != 0xFFFFFFFFu ? (int64_t)(size - skip) : -1;
    at += 8 + (off_t)size + (size & 1);
  }
  return -1;
}

}  // namespace

sf_count_t DeclaredFrames(const std::string& path, const SF_INFO& info)
{
  const int major = info.format & SF_FORMAT_TYPEMASK;
  const int frameBytes = BytesPerSample(info.format & SF_FORMAT_SUBMASK) * info.channels;
  if (frameBytes <= 0 || (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX && major != SF_FORMAT_AIFF)) return -1;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  uint8_t h[12];
  int64_t bytes = -1;
  if (pread(fd, h, 12, 0) == 12)
  {
    if ((memcmp(h, "RIFF", 4) == 0 || memcmp(h, "RIFX", 4) == 0) && memcmp(h + 8, "WAVE", 4) == 0)
      bytes = ChunkSize(fd, h[3] == 'X', "data", 0);
    // AIFF sample data opens with an offset and a block size.
    else if (memcmp(h, "FORM", 4) == 0 && (memcmp(h + 8, "AIFF", 4) == 0 || memcmp(h + 8, "AIFC", 4) == 0))
      bytes = ChunkSize(fd, true, "SSND", 8);
  }
  close(fd);
  return bytes < 0 ? -1 : bytes / frameBytes;
}
