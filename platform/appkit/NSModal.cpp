#include <AppKit/NSRunLoop.h>

#include "appkit/NSModal.h"
#include "appkit/NSWindowSystem.h"

#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

static std::function<OrvantaModalAnswer(const OrvantaModalRequest&)> gModalHandler;

void OrvantaAppKitSetModalHandler(std::function<OrvantaModalAnswer(const OrvantaModalRequest&)> handler)
{
  gModalHandler = std::move(handler);
}

bool NSProgramInstalled(const char* program)
{
  const char* path = getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size())
  {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = dirs.substr(start, end - start) + "/" + program;
    struct stat st;
    if (end > start && stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
      return true;
    start = end + 1;
  }
  return false;
}

int NSRunProgram(const char* program, const std::vector<std::string>& args, std::string* output)
{
  int fds[2];
  if (pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  const int rc = posix_spawnp(&pid, program, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0)
  {
    close(fds[0]);
    return -1;
  }
  char buf[4096];
  ssize_t got;
  while ((got = read(fds[0], buf, sizeof buf)) > 0 || (got < 0 && errno == EINTR))
    if (got > 0 && output) output->append(buf, (size_t)got);
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

static std::string Trimmed(std::string s)
{
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

static OrvantaModalAnswer AskZenity(const OrvantaModalRequest& q)
{
  OrvantaModalAnswer a;
  std::vector<std::string> args;
  std::string out;
  if (!q.title.empty()) args.push_back("--title=" + q.title);
  switch (q.kind)
  {
    case OrvantaModalRequest::Alert:
    {
      std::string text = q.message;
      if (!q.informativeText.empty()) text += "\n\n" + q.informativeText;
      args.push_back("--text=" + text);
      args.push_back("--no-markup");
      if (q.buttons.size() <= 1)
      {
        args.insert(args.begin(), "--info");
        args.push_back("--ok-label=" + (q.buttons.empty() ? std::string("OK") : q.buttons[0]));
      }
      else
      {
        args.insert(args.begin(), "--question");
        args.push_back("--ok-label=" + q.buttons[0]);
        args.push_back("--cancel-label=" + q.buttons[1]);
        for (size_t i = 2; i < q.buttons.size(); ++i) args.push_back("--extra-button=" + q.buttons[i]);
      }
      const int rc = NSRunProgram("zenity", args, &out);
      out = Trimmed(out);
      if (rc == 0)
        a.cancelled = false, a.button = 0;
      else if (rc == 1 && q.buttons.size() > 1)
      {
        a.cancelled = false;
        a.button = 1;
        for (size_t i = 2; i < q.buttons.size(); ++i)
          if (out == q.buttons[i]) a.button = (int)i;
      }
      return a;
    }
    case OrvantaModalRequest::OpenPanel:
    case OrvantaModalRequest::SavePanel:
    {
      args.insert(args.begin(), "--file-selection");
      if (q.kind == OrvantaModalRequest::SavePanel) args.push_back("--save"), args.push_back("--confirm-overwrite");
      if (q.canChooseDirectories && !q.canChooseFiles) args.push_back("--directory");
      std::string start = q.directory.empty() ? std::string() : q.directory + "/";
      args.push_back("--filename=" + start + q.fileName);
      if (!q.allowedTypes.empty())
      {
        std::string filter = "--file-filter=";
        for (const std::string& t : q.allowedTypes) filter += "*." + t + " ";
        args.push_back(filter);
      }
      if (NSRunProgram("zenity", args, &out) == 0 && !Trimmed(out).empty())
      {
        a.cancelled = false;
        a.path = Trimmed(out);
      }
      return a;
    }
    case OrvantaModalRequest::ColorPanel:
    {
      char start[64];
      snprintf(start, sizeof start, "--color=rgb(%d,%d,%d)", (int)(q.color[0] * 255 + 0.5), (int)(q.color[1] * 255 + 0.5),
               (int)(q.color[2] * 255 + 0.5));
      args.insert(args.begin(), "--color-selection");
      args.push_back(start);
      if (NSRunProgram("zenity", args, &out) != 0) return a;
      double r, g, b, alpha = 1;
      if (sscanf(out.c_str(), "rgba(%lf,%lf,%lf,%lf)", &r, &g, &b, &alpha) >= 3 ||
          sscanf(out.c_str(), "rgb(%lf,%lf,%lf)", &r, &g, &b) == 3)
      {
        a.cancelled = false;
        a.color[0] = r / 255, a.color[1] = g / 255, a.color[2] = b / 255, a.color[3] = alpha;
      }
      return a;
    }
  }
  return a;
}

OrvantaModalAnswer NSRunModalRequest(const OrvantaModalRequest& request)
{
  if (gModalHandler) return gModalHandler(request);
  if (!NSWindowSystem::Get()->isHeadless() && NSProgramInstalled("zenity")) return AskZenity(request);
  return OrvantaModalAnswer();
}
