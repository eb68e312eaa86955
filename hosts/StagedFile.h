// StagedFile: a file written under a temporary name in its destination's
// folder and renamed over the destination only when it is complete, so a
// failure or an interruption never leaves a truncated file and never touches
// what was there before. A symbolic link is followed: its final target is
// staged and replaced, the link stays. What cannot be replaced that way is
// written directly: standard output ("-") and existing files that are not
// regular files (a FIFO, a pipe to another program, a device such as
// /dev/null), which must stay what they are. Used on the program's single
// thread; the temporary names are also known to the signal handlers
// InstallStagedFileCleanup sets.

#pragma once

#include <string>

class StagedFile
{
public:
  explicit StagedFile(std::string destination);
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  // Removes the temporary file unless it was committed.
  ~StagedFile();

  // Creates the temporary file (or opens the destination to write it
  // directly); the destination must not be a folder and its folder must be
  // writable. An existing file the user may not write is refused unless
  // `force` is set, as other tools refuse it.
  bool Create(bool force, std::string* error);
  int Descriptor() const { return mFd; }
  const std::string& Destination() const { return mDest; }
  // Whether the destination is written in place rather than staged.
  bool Direct() const { return mDirect; }

  bool Write(const void* data, size_t size, std::string* error);
  // Flushes to disk, gives the file the destination's owner and permissions
  // (those of the file it replaces, else the usual ones for a new file) and
  // renames it.
  // A direct destination is only closed.
  bool Commit(std::string* error);
  void Abandon();

private:
  bool Fail(std::string* error, int err);

  std::string mDest;
  std::string mTarget;  // mDest with symbolic links followed
  std::string mTemp;
  int mFd = -1;
  int mSlot = -1;
  bool mDirect = false;
};

// On SIGINT, SIGTERM, SIGHUP and SIGPIPE, removes every uncommitted temporary
// file, then dies of the signal as it would have.
void InstallStagedFileCleanup();

// Writes all of `size` bytes to `fd`, through short writes and interrupted
// calls; on failure `*error` says "cannot write NAME: reason".
bool WriteAll(int fd, const void* data, size_t size, const std::string& name, std::string* error);

// The folder part of a path ("." when there is none).
std::string FolderOf(const std::string& path);
