// StagedFile: a file written under a temporary name in its destination's
// folder and renamed over the destination only when it is complete, so a
// failure or an interruption never leaves a truncated file and never touches
// what was there before. Used on the program's single thread; the temporary
// names are also known to the signal handlers InstallStagedFileCleanup sets.

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

  // Creates the temporary file; the destination must not be a folder and its
  // folder must be writable.
  bool Create(std::string* error);
  int Descriptor() const { return mFd; }
  const std::string& Destination() const { return mDest; }

  bool Write(const void* data, size_t size, std::string* error);
  // Flushes to disk, gives the file the destination's permissions (those of
  // the file it replaces, else the usual ones for a new file) and renames it.
  bool Commit(std::string* error);
  void Abandon();

private:
  std::string mDest;
  std::string mTemp;
  int mFd = -1;
  int mSlot = -1;
};

// On SIGINT, SIGTERM, SIGHUP and SIGPIPE, removes every uncommitted temporary
// file, then dies of the signal as it would have.
void InstallStagedFileCleanup();

// The folder part of a path ("." when there is none).
std::string FolderOf(const std::string& path);
