#include "HostTestSupport.h"

#include <sndfile.h>

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace hosttest {

namespace {

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

void RemoveTree(const std::string& path)
{
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return;
  if (S_ISDIR(st.st_mode))
  {
    chmod(path.c_str(), 0700);
    if (DIR* d = opendir(path.c_str()))
    {
      while (dirent* e = readdir(d))
      {
        const std::string name = e->d_name;
        if (name != "." && name != "..") RemoveTree(path + "/" + name);
      }
      closedir(d);
    }
    rmdir(path.c_str());
  }
  else
    unlink(path.c_str());
}

}  // namespace

std::string BuildDir()
{
  if (const char* dir = getenv("ORVANTA_BUILD_DIR"); dir && *dir) return dir;
  char exe[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
  if (n <= 0) return ".";
  exe[n] = 0;
  return FolderOf(FolderOf(exe));
}

std::string RenderTool() { return BuildDir() + "/bin/orvanta-render"; }
std::string PhraseTool() { return BuildDir() + "/bin/orvanta-phrase"; }

void UseBuiltComponent() { setenv("AUDIO_COMPONENT_PATH", BuildDir().c_str(), 1); }

RunResult Run(const std::vector<std::string>& argv, const std::string& input)
{
  RunResult result;
  TempDir capture;
  const std::string outPath = capture / "out", errPath = capture / "err";
  fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0)
  {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int nul = open(input.c_str(), O_RDONLY);
    if (out < 0 || err < 0 || nul < 0) _exit(126);
    dup2(nul, 0);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid)
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = ReadText(outPath);
  result.err = ReadText(errPath);
  return result;
}

RunResult Render(const std::vector<std::string>& args, const std::string& input)
{
  std::vector<std::string> argv{RenderTool()};
  argv.insert(argv.end(), args.begin(), args.end());
  return Run(argv, input);
}

TempDir::TempDir()
{
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/orvanta-host-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back(0);
  if (mkdtemp(buf.data())) mPath = buf.data();
}

TempDir::~TempDir()
{
  if (!mPath.empty()) RemoveTree(mPath);
}

std::vector<std::string> TempDir::Names() const
{
  std::vector<std::string> names;
  if (DIR* d = opendir(mPath.c_str()))
  {
    while (dirent* e = readdir(d))
    {
      const std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

Audio TestSignal(int rate, int channels, double seconds)
{
  Audio a;
  a.rate = rate;
  a.channels = channels;
  const size_t frames = (size_t)(seconds * rate);
  a.samples.resize(frames * (size_t)channels);
  for (size_t i = 0; i < frames; ++i)
  {
    const double t = (double)i / rate;
    const double half = seconds / 2;
    const double local = t < half ? t : t - half;
    const double f0 = t < half ? 110.0 : 164.8;
    double v = 0;
    for (int k = 1; k <= 6; ++k) v += std::sin(2 * M_PI * f0 * k * t) / k;
    v *= 0.3 * std::exp(-3.0 * local);
    for (int c = 0; c < channels; ++c)
      a.samples[i * (size_t)channels + (size_t)c] = (float)(c == 0 ? v : 0.5 * v + 0.1 * std::sin(2 * M_PI * 440 * t));
  }
  return a;
}

bool WriteAudio(const std::string& path, const Audio& audio, int format)
{
  SF_INFO info{};
  info.samplerate = audio.rate;
  info.channels = audio.channels;
  info.format = format ? format : (SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  const sf_count_t frames = (sf_count_t)audio.Frames();
  const bool ok = sf_writef_float(f, audio.samples.data(), frames) == frames;
  return sf_close(f) == 0 && ok;
}

bool ReadAudio(const std::string& path, Audio* audio)
{
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return false;
  audio->rate = info.samplerate;
  audio->channels = info.channels;
  audio->samples.assign((size_t)info.frames * (size_t)info.channels, 0.0f);
  const bool ok = sf_readf_float(f, audio->samples.data(), info.frames) == info.frames;
  sf_close(f);
  return ok;
}

float MaxDifference(const Audio& a, const Audio& b)
{
  if (a.samples.size() != b.samples.size()) return INFINITY;
  float d = 0;
  for (size_t i = 0; i < a.samples.size(); ++i) d = std::max(d, std::fabs(a.samples[i] - b.samples[i]));
  return d;
}

float Peak(const Audio& a)
{
  float p = 0;
  for (float v : a.samples) p = std::max(p, std::fabs(v));
  return p;
}

std::string ReadText(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool WriteText(const std::string& path, const std::string& text)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return (bool)out;
}

bool Exists(const std::string& path)
{
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

void RenderHostTest::SetUp()
{
  ASSERT_TRUE(Exists(RenderTool())) << RenderTool() << " was not built";
}

std::string RenderHostTest::WriteSignal(const std::string& name, int rate, int channels, double seconds)
{
  const std::string path = dir / name;
  EXPECT_TRUE(WriteAudio(path, TestSignal(rate, channels, seconds))) << path;
  return path;
}

}  // namespace hosttest
