// The whole orvanta-render process on one minute of guitar (mono, 48 kHz,
// 32-bit float WAV, made once by orvanta-phrase) with the "Dirty" preset,
// against sox running a comparable overdrive-plus-equaliser chain on the same
// file in the same run. Each iteration is one child process, timed by the wall
// clock from fork to exit (manual time); "x_realtime" is seconds of audio per
// second of wall-clock time, "cpu_s" the child's user plus system time.
// BM_RenderHostOverSox runs the two alternately, one of each per iteration in
// turn first, so a machine busy for a while weighs on both alike; its ratios
// are the figures to compare (cpu_ratio target: at most 0.8).
//
// The sox command, exactly:
//   sox -V1 in.wav -e floating-point -b 32 sox.wav overdrive 20 10 bass +3 treble -2 equalizer 3000 1q -3 channels 2
// (both programs write a two-channel 32-bit float WAV).

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kAudioSeconds = 60.0;

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The build folder: ORVANTA_BUILD_DIR, else the one above this program's bench/.
std::string BuildDir()
{
  if (const char* dir = getenv("ORVANTA_BUILD_DIR"); dir && *dir) return dir;
  char exe[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
  if (n <= 0) return ".";
  exe[n] = 0;
  return FolderOf(FolderOf(exe));
}

struct ChildRun
{
  bool ok = false;
  double wallSeconds = 0;
  double cpuSeconds = 0;
  double systemSeconds = 0;
};

// Runs a program with its output thrown away and waits for it.
ChildRun RunChild(const std::vector<std::string>& argv)
{
  ChildRun r;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0)
  {
    const int nul = open("/dev/null", O_RDWR);
    dup2(nul, 0);
    dup2(nul, 1);
    dup2(nul, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage{};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return r;
  r.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.systemSeconds = (double)usage.ru_stime.tv_sec + usage.ru_stime.tv_usec * 1e-6;
  r.cpuSeconds = (double)usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + r.systemSeconds;
  r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return r;
}

// One scratch folder with the input minute, made on first use, removed at exit.
class Scratch
{
public:
  static Scratch& Get()
  {
    static Scratch s;
    return s;
  }

  bool Ready() const { return mReady; }
  std::string Path(const std::string& name) const { return mDir + "/" + name; }

  ~Scratch()
  {
    if (mDir.empty()) return;
    if (DIR* d = opendir(mDir.c_str()))
    {
      while (dirent* e = readdir(d))
        if (e->d_name[0] != '.' || (e->d_name[1] && e->d_name[1] != '.')) unlink(Path(e->d_name).c_str());
      closedir(d);
    }
    rmdir(mDir.c_str());
  }

private:
  Scratch()
  {
    char pattern[] = "/tmp/orvanta-bench-XXXXXX";
    if (!mkdtemp(pattern)) return;
    mDir = pattern;
    mReady = RunChild({BuildDir() + "/bin/orvanta-phrase", "--rate", "48000", "--seconds", "60", Path("in.wav")}).ok;
  }

  std::string mDir;
  bool mReady = false;
};

void Measure(benchmark::State& state, const std::vector<std::string>& argv)
{
  if (!Scratch::Get().Ready())
  {
    state.SkipWithError("could not make the input file with orvanta-phrase");
    return;
  }
  double cpu = 0;
  for (auto _ : state)
  {
    const ChildRun r = RunChild(argv);
    if (!r.ok)
    {
      state.SkipWithError((argv[0] + " failed").c_str());
      return;
    }
    state.SetIterationTime(r.wallSeconds);
    cpu += r.cpuSeconds;
  }
  state.counters["x_realtime"] = benchmark::Counter(kAudioSeconds * (double)state.iterations(), benchmark::Counter::kIsRate);
  state.counters["cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}

std::vector<std::string> OrvantaCommand()
{
  const Scratch& s = Scratch::Get();
  setenv("AUDIO_COMPONENT_PATH", BuildDir().c_str(), 1);
  return {BuildDir() + "/bin/orvanta-render", "--quiet", "--preset", "Dirty", s.Path("in.wav"), s.Path("orvanta.wav")};
}

std::vector<std::string> SoxCommand()
{
  const Scratch& s = Scratch::Get();
  return {"sox", "-V1", s.Path("in.wav"), "-e", "floating-point", "-b", "32", s.Path("sox.wav"), "overdrive", "20",
          "10", "bass", "+3", "treble", "-2", "equalizer", "3000", "1q", "-3", "channels", "2"};
}

void BM_OrvantaRenderDirty(benchmark::State& state) { Measure(state, OrvantaCommand()); }

void BM_SoxOverdriveEq(benchmark::State& state) { Measure(state, SoxCommand()); }

void BM_RenderHostOverSox(benchmark::State& state)
{
  if (!Scratch::Get().Ready())
  {
    state.SkipWithError("could not make the input file with orvanta-phrase");
    return;
  }
  const std::vector<std::string> commands[2] = {OrvantaCommand(), SoxCommand()};
  ChildRun total[2];
  bool soxFirst = false;
  for (auto _ : state)
  {
    double wall = 0;
    for (int k = 0; k < 2; ++k)
    {
      const int which = soxFirst ? 1 - k : k;
      const ChildRun r = RunChild(commands[which]);
      if (!r.ok)
      {
        state.SkipWithError((commands[which][0] + " failed").c_str());
        return;
      }
      total[which].wallSeconds += r.wallSeconds;
      total[which].cpuSeconds += r.cpuSeconds;
      total[which].systemSeconds += r.systemSeconds;
      wall += r.wallSeconds;
    }
    soxFirst = !soxFirst;
    state.SetIterationTime(wall);
  }
  const double n = (double)state.iterations();
  state.counters["orvanta_cpu_s"] = total[0].cpuSeconds / n;
  state.counters["sox_cpu_s"] = total[1].cpuSeconds / n;
  state.counters["orvanta_sys_s"] = total[0].systemSeconds / n;
  state.counters["sox_sys_s"] = total[1].systemSeconds / n;
  state.counters["cpu_ratio"] = total[0].cpuSeconds / total[1].cpuSeconds;
  state.counters["wall_ratio"] = total[0].wallSeconds / total[1].wallSeconds;
}

BENCHMARK(BM_OrvantaRenderDirty)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SoxOverdriveEq)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RenderHostOverSox)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
