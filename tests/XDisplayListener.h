#pragma once

// Listens where the X server of display 127.0.0.1:N would (TCP port 6000 + N),
// counts the clients that connect and hangs up on each, so that a client's
// XOpenDisplay fails at once instead of waiting for a server that never answers.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

class XDisplayListener
{
public:
  XDisplayListener() = default;
  XDisplayListener(const XDisplayListener&) = delete;
  XDisplayListener& operator=(const XDisplayListener&) = delete;

  // Takes the first free display number from 40 on; false when none is free.
  bool Start()
  {
    for (int n = 40; n < 100 && mFd < 0; ++n)
    {
      const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      if (fd < 0) return false;
      // A port this test's earlier run hung up on may still be lingering.
      const int one = 1;
      setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_port = htons((uint16_t)(6000 + n));
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      if (bind(fd, (sockaddr*)&a, sizeof a) == 0 && listen(fd, 8) == 0)
      {
        mFd = fd;
        mName = "127.0.0.1:" + std::to_string(n);
      }
      else
        close(fd);
    }
    if (mFd < 0) return false;
    mThread = std::thread([this] {
      while (!mStop)
      {
        pollfd p{mFd, POLLIN, 0};
        if (poll(&p, 1, 20) > 0) Take();
      }
    });
    return true;
  }

  ~XDisplayListener()
  {
    mStop = true;
    if (mThread.joinable()) mThread.join();
    if (mFd >= 0) close(mFd);
  }

  // The DISPLAY value that leads here.
  const std::string& Name() const { return mName; }

  // Clients so far, those still waiting to be accepted included.
  int Connections()
  {
    Take();
    std::lock_guard<std::mutex> lock(mMutex);
    return mCount;
  }

private:
  void Take()
  {
    std::lock_guard<std::mutex> lock(mMutex);
    for (int c; (c = accept4(mFd, nullptr, nullptr, SOCK_CLOEXEC)) >= 0; ++mCount) close(c);
  }

  int mFd = -1;
  std::string mName;
  std::thread mThread;
  std::atomic<bool> mStop{false};
  std::mutex mMutex;
  int mCount = 0;
};
