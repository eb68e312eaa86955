#include "plugin/FileIO.h"

#include "plugin/ByteChunk.h"
#include "plugin/containers/KIT_String.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

static bool WriteAll(int fd, const unsigned char* p, int size)
{
  while (size > 0)
  {
    const ssize_t w = write(fd, p, (size_t)size);
    if (w < 0)
    {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    size -= (int)w;
  }
  return true;
}

bool WriteFileAtomically(const char* path, const void* data, int size)
{
  if (!path || !path[0] || size < 0 || (size > 0 && !data)) return false;
  static std::atomic<unsigned> sCounter{0};

  KIT_String tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt)
  {
    char suffix[48];
    snprintf(suffix, sizeof(suffix), ".%d.%u.tmp", (int)getpid(), sCounter.fetch_add(1));
    tmp.Set(path);
    tmp.Append(suffix);
    fd = open(tmp.Get(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;

  bool ok = WriteAll(fd, (const unsigned char*)data, size);
  if (ok) ok = fsync(fd) == 0;
  if (close(fd) != 0) ok = false;
  if (ok) ok = rename(tmp.Get(), path) == 0;
  if (!ok) unlink(tmp.Get());
  return ok;
}

bool ReadWholeFile(const char* path, ByteChunk* pOut, int maxSize)
{
  if (!pOut) return false;
  pOut->Clear();
  if (!path || !path[0]) return false;
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  unsigned char buf[65536];
  while (ok)
  {
    const ssize_t r = read(fd, buf, sizeof(buf));
    if (r < 0)
    {
      if (errno == EINTR) continue;
      ok = false;
    }
    else if (r == 0)
    {
      break;
    }
    else if ((long long)pOut->Size() + r > maxSize || !pOut->PutBytes(buf, (int)r))
    {
      ok = false;
    }
  }
  close(fd);
  if (!ok) pOut->Clear();
  return ok;
}
