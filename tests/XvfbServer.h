#pragma once

// A private Xvfb for window tests, started on a display number the server
// picks itself (so parallel tests cannot race for one) and stopped with the
// object. -noreset: a test's last client closing must not reset the server
// under the next one.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

// Whether `program` is an executable in one of PATH's folders: window tests
// skip themselves when Xvfb or xdotool is missing.
inline bool ProgramInstalled(const std::string& program)
{
  const char* path = std::getenv("PATH");
  const std::string dirs = path ? path : "/usr/bin:/bin";
  for (size_t start = 0; start <= dirs.size();)
  {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    if (access((dirs.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

class XvfbServer
{
public:
  XvfbServer() = default;
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool Start()
  {
    int fds[2];
    if (pipe(fds) != 0) return false;
    mPid = fork();
    if (mPid == 0)
    {
      close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24", "-nolisten", "tcp", "-noreset",
             (char*)nullptr);
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return false;
    mName = ":" + number;
    return true;
  }

  ~XvfbServer()
  {
    if (mPid > 0)
    {
      kill(mPid, SIGTERM);
      waitpid(mPid, nullptr, 0);
    }
  }

  const std::string& Name() const { return mName; }

private:
  std::string mName;
  pid_t mPid = -1;
};
