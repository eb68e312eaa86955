// The editor host program on a real X server (a private Xvfb this test
// starts and stops): xdotool clicks the switch and drags a knob in the
// editor's window, the parameters read back through the host API say what
// the mouse did, and the window's pixels equal the headless picture of the
// same state. The same view also goes into a parent window the test makes.

#include "EditorTestSupport.h"
#include "HostTestSupport.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <sstream>
#include <thread>

using namespace hosttest;

namespace {

constexpr int kW = 432, kH = 357;

// orvanta-editor running on the display, its standard output read line by line.
class EditorProcess
{
public:
  bool Start(const std::string& display, const std::vector<std::string>& args)
  {
    int fds[2];
    if (pipe(fds) != 0) return false;
    mPid = fork();
    if (mPid == 0)
    {
      dup2(fds[1], STDOUT_FILENO);
      close(fds[0]);
      close(fds[1]);
      setenv("DISPLAY", display.c_str(), 1);
      std::vector<char*> argv;
      static std::string tool = EditorTool();
      argv.push_back(tool.data());
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(fds[1]);
    mOut = fds[0];
    return mPid > 0;
  }
  // The window id the program prints once its window is up, 0 on time-out.
  unsigned long Window()
  {
    const std::string line = Line(10000);
    return line.rfind("window ", 0) == 0 ? strtoul(line.c_str() + 7, nullptr, 0) : 0;
  }
  // Stops the program as a user's Ctrl-C does; the NAME=VALUE lines it prints then.
  std::map<std::string, std::string> Stop()
  {
    std::map<std::string, std::string> values;
    kill(mPid, SIGTERM);
    for (std::string line; !(line = Line(10000)).empty();)
    {
      const size_t eq = line.find('=');
      if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    int status = 0;
    waitpid(mPid, &status, 0);
    mPid = -1;
    mExit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return values;
  }
  int Exit() const { return mExit; }
  ~EditorProcess()
  {
    if (mPid > 0)
    {
      kill(mPid, SIGKILL);
      waitpid(mPid, nullptr, 0);
    }
    if (mOut >= 0) close(mOut);
  }

private:
  std::string Line(int timeoutMs)
  {
    std::string line;
    char c;
    pollfd p{mOut, POLLIN, 0};
    while (poll(&p, 1, timeoutMs) > 0 && read(mOut, &c, 1) == 1)
    {
      if (c == '\n') return line;
      line += c;
    }
    return line;
  }
  pid_t mPid = -1;
  int mOut = -1;
  int mExit = -1;
};

Picture Grab(Display* d, unsigned long window)
{
  Picture p;
  XSync(d, False);
  XImage* img = XGetImage(d, (Window)window, 0, 0, kW, kH, AllPlanes, ZPixmap);
  if (!img) return p;
  p.width = kW;
  p.height = kH;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) p.pixels.push_back((uint32_t)XGetPixel(img, x, y) & 0xFFFFFFu);
  XDestroyImage(img);
  return p;
}

// The window's picture once painting has settled (two grabs alike, and not blank).
Picture Settled(Display* d, unsigned long window)
{
  Picture last = Grab(d, window);
  for (int i = 0; i < 50; ++i)
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Picture now = Grab(d, window);
    if (!now.pixels.empty() && !now.OneColour() && FirstDifference(now, last).empty()) return now;
    last = now;
  }
  return last;
}

Picture Headless(const std::vector<std::string>& sets, const TempDir& dir)
{
  std::vector<std::string> argv{EditorTool()};
  for (const std::string& s : sets)
  {
    argv.push_back("--set");
    argv.push_back(s);
  }
  argv.push_back("--screenshot");
  argv.push_back(dir / "headless.png");
  Picture p;
  if (hosttest::Run(argv).exitCode == 0) ReadPNG(dir / "headless.png", &p);
  return p;
}

class EditorOnX11 : public testing::Test
{
protected:
  void SetUp() override
  {
    if (!ProgramInstalled("Xvfb") || !ProgramInstalled("xdotool")) GTEST_SKIP() << "Xvfb and xdotool are needed";
    UseBuiltComponent();
    ASSERT_TRUE(mServer.Start());
    mDisplay = XOpenDisplay(mServer.Name().c_str());
    ASSERT_NE(nullptr, mDisplay);
  }
  void TearDown() override
  {
    if (mDisplay) XCloseDisplay(mDisplay);
  }
  int Xdotool(const std::vector<std::string>& args)
  {
    std::vector<std::string> argv{"/usr/bin/env", "DISPLAY=" + mServer.Name(), "xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return hosttest::Run(argv).exitCode;
  }

  XvfbServer mServer;
  Display* mDisplay = nullptr;
  TempDir mDir;
};

// Catches clicks and drags that do not reach the controls through the X11
// window system, parameters the host reads differently from what the
// editor shows, and window pixels that differ from the headless picture.
TEST_F(EditorOnX11, ClicksAndDragsMoveParametersAndTheWindowShowsThem)
{
  EditorProcess editor;
  ASSERT_TRUE(editor.Start(mServer.Name(), {}));
  const unsigned long window = editor.Window();
  ASSERT_NE(0ul, window);
  const std::string w = std::to_string(window);
  Settled(mDisplay, window);
  // Editor (154, 50) is the switch's middle, (195, 47) Level's; window pixels are 2 right and 3 down.
  ASSERT_EQ(0, Xdotool({"mousemove", "--window", w, "156", "53", "click", "1"}));
  ASSERT_EQ(0, Xdotool({"mousemove", "--window", w, "197", "50", "mousedown", "1", "mousemove", "--window", w,
                        "197", "35", "mousemove", "--window", w, "197", "14", "mouseup", "1"}));
  const Picture shown = Settled(mDisplay, window);
  std::map<std::string, std::string> values = editor.Stop();
  EXPECT_EQ(0, editor.Exit());
  EXPECT_EQ("0", values["Channel"]);
  // 36 pixels up over four frame heights (144) of travel: a quarter of the range.
  EXPECT_EQ("0.75", values["Level"]);
  EXPECT_EQ("0.5", values["Drive"]);

  const Picture headless = Headless({"Channel=" + values["Channel"], "Level=" + values["Level"]}, mDir);
  ASSERT_EQ(kW, headless.width);
  EXPECT_EQ("", FirstDifference(headless, shown));
}

// Catches an editor that does not appear inside the parent window a Linux
// host hands it, or appears there other than the headless picture.
TEST_F(EditorOnX11, ViewEmbedsInAParentWindowMadeByTheHost)
{
  const Window parent = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, 500, 400, 0, 0, 0);
  XMapWindow(mDisplay, parent);
  XSync(mDisplay, False);
  EditorProcess editor;
  ASSERT_TRUE(editor.Start(mServer.Name(), {"--parent", std::to_string(parent)}));
  const unsigned long child = editor.Window();
  ASSERT_NE(0ul, child);
  Window root = 0, up = 0, *children = nullptr;
  unsigned n = 0;
  ASSERT_TRUE(XQueryTree(mDisplay, child, &root, &up, &children, &n));
  if (children) XFree(children);
  EXPECT_EQ(parent, up);
  const Picture shown = Settled(mDisplay, child);
  editor.Stop();
  EXPECT_EQ(0, editor.Exit());
  EXPECT_EQ("", FirstDifference(Headless({}, mDir), shown));
  XDestroyWindow(mDisplay, parent);
}

}  // namespace
