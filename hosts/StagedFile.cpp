#include "hosts/StagedFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// The signal handler may only read what is already in place, so the names
// live in fixed buffers (the program stages at most two files at once: the
// audio output and the saved state).
constexpr int kSlots = 4;
constexpr size_t kMaxPath = 4096;
char gTempNames[kSlots][kMaxPath];
volatile sig_atomic_t gTempUsed[kSlots];

int ClaimSlot(const std::string& name)
{
  if (name.size() >= kMaxPath) return -1;
  for (int i = 0; i < kSlots; ++i)
  {
    if (gTempUsed[i]) continue;
    memcpy(gTempNames[i], name.c_str(), name.size() + 1);
    gTempUsed[i] = 1;
    return i;
  }
  return -1;
}

void ReleaseSlot(int slot)
{
  if (slot >= 0) gTempUsed[slot] = 0;
}

// Signal handler, on whichever thread takes the signal: async-signal-safe calls only, no locks, no allocation.
void RemoveTempsAndDie(int sig)
{
  for (int i = 0; i < kSlots; ++i)
    if (gTempUsed[i]) unlink(gTempNames[i]);
  signal(sig, SIG_DFL);
  raise(sig);
}

std::string BaseOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t NewFileMode(const std::string& dest)
{
  struct stat st;
  if (stat(dest.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

void InstallStagedFileCleanup()
{
  struct sigaction sa;
  memset(&sa, 0, sizeof(sa));
  sa.sa_handler = RemoveTempsAndDie;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaction(sig, &sa, nullptr);
}

StagedFile::StagedFile(std::string destination)
  : mDest(std::move(destination))
{
}

StagedFile::~StagedFile() { Abandon(); }

bool StagedFile::Create(std::string* error)
{
  struct stat st;
  if (stat(mDest.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
  {
    *error = "cannot write " + mDest + ": it is a folder";
    return false;
  }
  // A hidden name beside the destination: the rename then never crosses file
  // systems, and a listing of the folder does not show work in progress.
  const std::string pattern = FolderOf(mDest) + "/." + BaseOf(mDest) + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  // Signals are held off between creating the file and recording its name.
  sigset_t all, old;
  sigfillset(&all);
  sigprocmask(SIG_BLOCK, &all, &old);
  mFd = mkstemp(name.data());
  const int saved = errno;
  if (mFd >= 0)
  {
    mTemp = name.data();
    mSlot = ClaimSlot(mTemp);
  }
  sigprocmask(SIG_SETMASK, &old, nullptr);
  if (mFd < 0)
  {
    *error = "cannot write " + mDest + ": " + strerror(saved);
    return false;
  }
  return true;
}

bool StagedFile::Write(const void* data, size_t size, std::string* error)
{
  const char* p = (const char*)data;
  while (size > 0)
  {
    const ssize_t n = write(mFd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
    {
      *error = "cannot write " + mDest + ": " + strerror(n < 0 ? errno : EIO);
      return false;
    }
    p += n;
    size -= (size_t)n;
  }
  return true;
}

bool StagedFile::Commit(std::string* error)
{
  if (mFd < 0)
  {
    *error = "cannot write " + mDest + ": nothing was written";
    return false;
  }
  bool ok = fchmod(mFd, NewFileMode(mDest)) == 0 && fsync(mFd) == 0;
  int saved = errno;
  if (close(mFd) != 0 && ok)
  {
    ok = false;
    saved = errno;
  }
  mFd = -1;
  if (ok && rename(mTemp.c_str(), mDest.c_str()) != 0)
  {
    ok = false;
    saved = errno;
  }
  if (!ok)
  {
    *error = "cannot write " + mDest + ": " + strerror(saved);
    Abandon();
    return false;
  }
  ReleaseSlot(mSlot);
  mSlot = -1;
  mTemp.clear();
  return true;
}

void StagedFile::Abandon()
{
  if (mFd >= 0) close(mFd);
  mFd = -1;
  if (!mTemp.empty()) unlink(mTemp.c_str());
  mTemp.clear();
  ReleaseSlot(mSlot);
  mSlot = -1;
}
