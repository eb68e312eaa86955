#include "hosts/StagedFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
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

// The file a path finally names, through any chain of symbolic links; a
// link to nothing yet gives the path the link points at, which is then created.
bool FollowLinks(const std::string& path, std::string* target, int* err)
{
  std::string p = path;
  for (int depth = 0; depth < 40; ++depth)
  {
    struct stat st;
    if (lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
    {
      *target = p;
      return true;
    }
    std::vector<char> buf((size_t)st.st_size + PATH_MAX + 1);
    const ssize_t n = readlink(p.c_str(), buf.data(), buf.size() - 1);
    if (n < 0)
    {
      *err = errno;
      return false;
    }
    const std::string link(buf.data(), (size_t)n);
    p = link[0] == '/' ? link : FolderOf(p) + "/" + link;
  }
  *err = ELOOP;
  return false;
}

// "." + the destination's name + ".XXXXXX", the name cut where the whole
// would exceed what the folder's file system allows.
std::string StagingPattern(const std::string& target)
{
  const std::string folder = FolderOf(target);
  long maxName = pathconf(folder.c_str(), _PC_NAME_MAX);
  if (maxName <= 0) maxName = NAME_MAX;
  const std::string suffix = ".XXXXXX";
  std::string base = BaseOf(target);
  const size_t room = (size_t)maxName - 1 - suffix.size();
  if (base.size() > room) base.resize(room);
  return folder + "/." + base + suffix;
}

mode_t NewFileMode(const std::string& dest)
{
  struct stat st;
  if (stat(dest.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Run by root over a user's file, the new file would otherwise become
// root's and its owner could no longer write it. Others can only keep what
// the system lets them give, so a refusal is no failure.
void KeepOwner(int fd, const std::string& dest)
{
  struct stat st;
  if (stat(dest.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  if (st.st_uid != geteuid() || st.st_gid != getegid()) (void)!fchown(fd, st.st_uid, st.st_gid);
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

bool StagedFile::Fail(std::string* error, int err)
{
  *error = "cannot write " + mDest + ": " + strerror(err);
  return false;
}

bool StagedFile::Create(bool force, std::string* error)
{
  if (mDest == "-")
  {
    mFd = STDOUT_FILENO;
    mDirect = true;
    return true;
  }
  // Opened through the path as given: links such as /dev/stdout lead to a
  // pipe that has no name to follow.
  struct stat st;
  if (stat(mDest.c_str(), &st) == 0)
  {
    if (S_ISDIR(st.st_mode))
    {
      *error = "cannot write " + mDest + ": it is a folder";
      return false;
    }
    if (!S_ISREG(st.st_mode))
    {
      mFd = open(mDest.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
      if (mFd < 0) return Fail(error, errno);
      mDirect = true;
      return true;
    }
  }
  int err = 0;
  if (!FollowLinks(mDest, &mTarget, &err)) return Fail(error, err);
  if (stat(mTarget.c_str(), &st) == 0)
  {
    // Root may write anything, so the file's own mode says what its owner meant.
    if (!force && (access(mTarget.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0))
    {
      *error = "cannot write " + mDest + ": " + strerror(EACCES) + " (--force replaces it)";
      return false;
    }
  }
  // A hidden name beside the destination: the rename then never crosses file
  // systems, and a listing of the folder does not show work in progress.
  const std::string pattern = StagingPattern(mTarget);
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
  if (mFd < 0) return Fail(error, saved);
  return true;
}

bool WriteAll(int fd, const void* data, size_t size, const std::string& name, std::string* error)
{
  const char* p = (const char*)data;
  while (size > 0)
  {
    const ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
    {
      *error = "cannot write " + name + ": " + strerror(n < 0 ? errno : EIO);
      return false;
    }
    p += n;
    size -= (size_t)n;
  }
  return true;
}

bool StagedFile::Write(const void* data, size_t size, std::string* error)
{
  return WriteAll(mFd, data, size, mDest, error);
}

bool StagedFile::Commit(std::string* error)
{
  if (mFd < 0)
  {
    *error = "cannot write " + mDest + ": nothing was written";
    return false;
  }
  if (mDirect)
  {
    const int fd = mFd;
    mFd = -1;
    if (fd != STDOUT_FILENO && close(fd) != 0) return Fail(error, errno);
    return true;
  }
  // Ownership first: changing it clears the set-user and set-group bits.
  KeepOwner(mFd, mTarget);
  bool ok = fchmod(mFd, NewFileMode(mTarget)) == 0 && fsync(mFd) == 0;
  int saved = errno;
  if (close(mFd) != 0 && ok)
  {
    ok = false;
    saved = errno;
  }
  mFd = -1;
  if (ok && rename(mTemp.c_str(), mTarget.c_str()) != 0)
  {
    ok = false;
    saved = errno;
  }
  if (!ok)
  {
    Abandon();
    return Fail(error, saved);
  }
  ReleaseSlot(mSlot);
  mSlot = -1;
  mTemp.clear();
  return true;
}

void StagedFile::Abandon()
{
  if (mFd >= 0 && !(mDirect && mFd == STDOUT_FILENO)) close(mFd);
  mFd = -1;
  if (!mTemp.empty()) unlink(mTemp.c_str());
  mTemp.clear();
  ReleaseSlot(mSlot);
  mSlot = -1;
}
