// orvanta-render: processes audio files through the Orvanta Audio Unit the way
// a digital audio workstation does, using nothing but the platform's host API:
// the component is discovered and opened, formats, sample rate and maximum
// frames are set, input is fed through a render callback, and the unit is
// initialised, rendered block by block, uninitialised and closed.

#include "hosts/AudioSink.h"
#include "hosts/AupresetFile.h"
#include "hosts/DeclaredFrames.h"
#include "hosts/HostSettings.h"
#include "hosts/HostUnit.h"
#include "hosts/OutputFormats.h"
#include "hosts/StagedFile.h"

#include <sndfile.h>

#include <limits.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kProg = "orvanta-render";
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kMaxBlock = 65536;
// Frames per read from INPUT and per write to OUTPUT: the unit renders
// several of its blocks from each, so the file system sees a few hundred
// large transfers a minute of audio instead of thousands of small ones.
constexpr int kIoFrames = 65536;

struct Options
{
  std::string input, output;
  std::string preset;
  std::vector<std::pair<std::string, std::string>> sets;
  int block = 512;
  bool bypass = false;
  bool list = false;
  bool quiet = false;
  bool force = false;
  std::string loadState, saveState;
  std::string stateName;              // --name
  const OutputFormat* format = nullptr;  // --format, else OUTPUT's extension

  bool Renders() const { return !input.empty(); }
};

// One line on stderr: the program's name, `kind` ("" or "warning: ") and the message.
[[gnu::format(printf, 2, 0)]] void Report(const char* kind, const char* fmt, va_list ap)
{
  fprintf(stderr, "%s: %s", kProg, kind);
  vfprintf(stderr, fmt, ap);
  fputc('\n', stderr);
}

[[gnu::format(printf, 1, 2)]] int Fail(const char* fmt, ...)
{
  va_list ap;
  va_start(ap, fmt);
  Report("", fmt, ap);
  va_end(ap);
  return kExitFailure;
}

int Fail(const std::string& message) { return Fail("%s", message.c_str()); }

[[gnu::format(printf, 1, 2)]] void Warn(const char* fmt, ...)
{
  va_list ap;
  va_start(ap, fmt);
  Report("warning: ", fmt, ap);
  va_end(ap);
}

// Mistakes in what the command line names, found once the unit is open.
[[gnu::format(printf, 1, 2)]] int UsageFail(const char* fmt, ...)
{
  va_list ap;
  va_start(ap, fmt);
  Report("", fmt, ap);
  va_end(ap);
  return kExitUsage;
}

void PrintHelp()
{
  printf(
    "usage: %s [options] INPUT OUTPUT\n"
    "       %s [options] --list | --save-state FILE\n"
    "Renders INPUT (any format libsndfile reads, mono or stereo, at its own sample\n"
    "rate) through the Orvanta Audio Unit into OUTPUT, two channels, in the format\n"
    "OUTPUT's extension names (32-bit float WAV for .wav and for no extension).\n"
    "A regular OUTPUT appears only once it is complete; through a symbolic link,\n"
    "the file it points at is replaced. An existing OUTPUT that is not a regular\n"
    "file (a FIFO, a device such as /dev/null) is written directly, as is standard\n"
    "output for \"-\"; \"-\" as INPUT reads standard input.\n"
    "Formats this machine writes: %s.\n"
    "\n"
    "options:\n"
    "  --format NAME        write OUTPUT in format NAME whatever its extension\n"
    "  --force              replace an OUTPUT or state file you may not write\n"
    "  --preset NAME        start from the factory preset NAME\n"
    "  --load-state FILE    restore a saved state (.aupreset property list)\n"
    "  --set NAME=VALUE     set a parameter (repeatable); VALUE is a real value or,\n"
    "                       for a parameter with named values, one of its names\n"
    "  --block N            frames per render call, 1 to %d (default 512)\n"
    "  --bypass             render with the effect bypassed\n"
    "  --save-state FILE    write the resulting state as an .aupreset property list\n"
    "  --name TEXT          the name stored with --save-state (default: the loaded\n"
    "                       state's name, else the preset's while no parameter was\n"
    "                       changed, else FILE's name)\n"
    "  --list               list parameters, presets, channel configurations,\n"
    "                       latency and tail (after the options above are applied)\n"
    "  --quiet              no progress bar and no summary\n"
    "  --help               this text\n"
    "Options apply in this order: preset, saved state, --set values. Without INPUT\n"
    "and OUTPUT nothing is rendered: --list and --save-state still work.\n"
    "The component is found through AUDIO_COMPONENT_PATH; when that is not set,\n"
    "the folders around this program's own are searched.\n"
    "Exit status: 0 done, 1 failed, 2 bad command line (unknown options, formats,\n"
    "presets, parameters or out-of-range values).\n",
    kProg, kProg, OutputFormatNames().c_str(), kMaxBlock);
}

bool ParseInt(const std::string& s, int* out)
{
  const char* b = s.data();
  const char* e = b + s.size();
  auto r = std::from_chars(b, e, *out);
  return r.ec == std::errc() && r.ptr == e;
}

// Usage errors are caught before anything is opened.
int ParseArgs(int argc, char** argv, Options* o)
{
  std::vector<std::string> positional;
  bool optionsDone = false;
  for (int i = 1; i < argc; ++i)
  {
    std::string a = argv[i];
    if (optionsDone || a == "-" || a.empty() || a[0] != '-')
    {
      positional.push_back(a);
      continue;
    }
    if (a == "--")
    {
      optionsDone = true;
      continue;
    }
    // Both "--opt VALUE" and "--opt=VALUE".
    std::string inlineValue;
    bool hasInline = false;
    const size_t eq = a.find('=');
    if (a.compare(0, 2, "--") == 0 && eq != std::string::npos)
    {
      inlineValue = a.substr(eq + 1);
      a = a.substr(0, eq);
      hasInline = true;
    }
    auto value = [&](std::string* out) -> bool {
      if (hasInline) *out = inlineValue;
      else if (i + 1 < argc) *out = argv[++i];
      if (out->empty()) Fail("%s needs a value (see --help)", a.c_str());
      return !out->empty();
    };
    auto flag = [&]() -> bool {
      if (hasInline) Fail("%s takes no value", a.c_str());
      return !hasInline;
    };
    if (a == "--help" || a == "-h")
    {
      PrintHelp();
      return -1;
    }
    if (a == "--list" || a == "--quiet" || a == "-q" || a == "--bypass" || a == "--force")
    {
      if (!flag()) return kExitUsage;
      if (a == "--list") o->list = true;
      else if (a == "--bypass") o->bypass = true;
      else if (a == "--force") o->force = true;
      else o->quiet = true;
      continue;
    }
    std::string v;
    if (a == "--preset" || a == "--load-state" || a == "--save-state" || a == "--set" || a == "--block" ||
        a == "--format" || a == "--name")
    {
      if (!value(&v)) return kExitUsage;
    }
    else
    {
      Fail("unknown option %s (see --help)", a.c_str());
      return kExitUsage;
    }
    if (a == "--preset") o->preset = v;
    else if (a == "--name") o->stateName = v;
    else if (a == "--format")
    {
      o->format = FindOutputFormat(v);
      if (!o->format)
      {
        Fail("unknown format \"%s\"; known formats: %s", v.c_str(), OutputFormatNames().c_str());
        return kExitUsage;
      }
    }
    else if (a == "--load-state") o->loadState = v;
    else if (a == "--save-state") o->saveState = v;
    else if (a == "--set")
    {
      const size_t sep = v.find('=');
      if (sep == std::string::npos || sep == 0 || sep + 1 == v.size())
      {
        Fail("--set needs NAME=VALUE, got \"%s\"", v.c_str());
        return kExitUsage;
      }
      o->sets.emplace_back(v.substr(0, sep), v.substr(sep + 1));
    }
    else if (!ParseInt(v, &o->block) || o->block < 1 || o->block > kMaxBlock)
    {
      Fail("--block needs a whole number of frames from 1 to %d, got \"%s\"", kMaxBlock, v.c_str());
      return kExitUsage;
    }
  }
  if (!o->stateName.empty() && o->saveState.empty())
  {
    Fail("--name names the state --save-state writes; give --save-state FILE too");
    return kExitUsage;
  }
  if (positional.empty())
  {
    if (!o->list && o->saveState.empty())
    {
      Fail("expected INPUT and OUTPUT (see --help)");
      return kExitUsage;
    }
    return 0;
  }
  if (positional.size() != 2)
  {
    Fail(positional.size() == 1 ? "expected OUTPUT after INPUT (see --help)" : "too many files: expected INPUT and OUTPUT");
    return kExitUsage;
  }
  o->input = positional[0];
  o->output = positional[1];
  return 0;
}

// After the checks on which files are named, whose mistakes matter more.
int ChooseOutputFormat(Options* o)
{
  if (!o->Renders() || o->format) return 0;
  std::string extension;
  o->format = OutputFormatForPath(o->output, &extension);
  if (o->format) return 0;
  Fail("unknown output extension \".%s\"; known: %s (or choose one with --format NAME)", extension.c_str(),
       OutputFormatNames().c_str());
  return kExitUsage;
}

// libsndfile's messages end in a full stop; ours continue after them.
std::string SndfileError(SNDFILE* f)
{
  std::string s = sf_strerror(f);
  while (!s.empty() && (s.back() == '.' || s.back() == '\n')) s.pop_back();
  return s;
}

// Plain file-system failures get the system's words rather than libsndfile's.
int CheckReadable(const std::string& path)
{
  if (path == "-") return 0;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return Fail("cannot read %s: %s", path.c_str(), strerror(errno));
  if (S_ISDIR(st.st_mode)) return Fail("cannot read %s: it is a folder", path.c_str());
  if (access(path.c_str(), R_OK) != 0) return Fail("cannot read %s: %s", path.c_str(), strerror(errno));
  return 0;
}

bool SameFile(const std::string& a, const std::string& b)
{
  // Standard input and standard output are different streams.
  if (a == "-" || b == "-") return false;
  if (a == b) return true;
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Writing one file over another the same run reads would destroy it.
int CheckDistinctFiles(const Options& o)
{
  if (o.Renders())
  {
    if (SameFile(o.input, o.output)) return Fail("OUTPUT %s is the same file as INPUT; choose another output", o.output.c_str());
    if (!o.loadState.empty() && SameFile(o.loadState, o.output))
      return Fail("OUTPUT %s is the state file given to --load-state; choose another output", o.output.c_str());
  }
  if (!o.saveState.empty())
  {
    if (o.Renders() && o.saveState == "-" && o.output == "-")
      return Fail("--save-state and OUTPUT cannot both be standard output");
    if (o.Renders() && SameFile(o.saveState, o.input))
      return Fail("--save-state %s is the same file as INPUT; choose another file", o.saveState.c_str());
    if (o.Renders() && SameFile(o.saveState, o.output))
      return Fail("--save-state %s is the same file as OUTPUT; choose another file", o.saveState.c_str());
  }
  return 0;
}

std::string BaseNameWithoutExtension(const std::string& path)
{
  const size_t slash = path.rfind('/');
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) base.resize(dot);
  return base;
}

std::vector<float> ParameterValues(const HostUnit& unit)
{
  std::vector<float> values;
  for (const HostParameter& p : unit.Parameters())
  {
    float v = NAN;
    unit.GetParameter(p, &v);
    values.push_back(v);
  }
  return values;
}

// The unit's own state keeps the name of its current preset slot, which
// says nothing of how the state was made. The name the user expects: --name,
// else the loaded state's, else the factory preset's while its values stand,
// else the state file's own name.
std::string StateName(const Options& o, const std::string& loadedName, bool presetStands)
{
  if (!o.stateName.empty()) return o.stateName;
  if (!o.loadState.empty()) return loadedName;
  if (!o.preset.empty() && presetStands) return o.preset;
  return BaseNameWithoutExtension(o.saveState);
}

int LoadState(HostUnit& unit, const std::string& path, std::string* loadedName)
{
  std::string error;
  CFDictionaryRef state = nullptr;
  if (!ReadAupreset(path, &state, &error)) return Fail(error);
  CFPropertyListRef own = nullptr;
  bool ok = CheckAupreset(state, unit.Description(), path, &error) && unit.CopyState(&own, &error);
  // The unit reads the parameters it has and ignores what follows: longer
  // data was made for something else and would be applied in part.
  const CFIndex length = AupresetDataLength(state);
  const CFIndex ownLength = own ? AupresetDataLength((CFDictionaryRef)own) : -1;
  if (own) CFRelease(own);
  if (ok && length > ownLength)
  {
    error = path + " is not a state of this version of the component: its data is " + std::to_string((long)length) +
            " bytes long, the component's own is " + std::to_string((long)ownLength);
    ok = false;
  }
  ok = ok && unit.RestoreState(state, &error);
  if (ok) *loadedName = AupresetName(state);
  CFRelease(state);
  return ok ? 0 : Fail(error);
}

// Preset, saved state, then single parameters: each later step refines the
// one before. `*stateName` receives the name --save-state stores.
int ApplySettings(HostUnit& unit, const Options& o, std::string* stateName)
{
  std::string error;
  if (!o.preset.empty())
  {
    const HostPreset* preset = unit.FindPreset(o.preset);
    if (!preset)
      return UsageFail("unknown preset \"%s\"; valid presets: %s", o.preset.c_str(), Join(PresetNames(unit)).c_str());
    if (!unit.SelectPreset(*preset, &error)) return Fail(error);
  }
  const std::vector<float> presetValues = ParameterValues(unit);
  std::string loadedName;
  if (!o.loadState.empty())
    if (const int bad = LoadState(unit, o.loadState, &loadedName)) return bad;
  for (const auto& [name, text] : o.sets)
  {
    const HostParameter* p = unit.FindParameter(name);
    if (!p)
      return UsageFail("unknown parameter \"%s\"; valid parameters: %s", name.c_str(),
                       Join(ParameterNames(unit)).c_str());
    double v = 0;
    if (!ParseValue(*p, text, &v, &error)) return UsageFail("%s", error.c_str());
    if (!unit.SetParameter(*p, v, &error)) return Fail(error);
  }
  if (o.bypass && !unit.SetBypass(true, &error)) return Fail(error);
  *stateName = StateName(o, loadedName, ParameterValues(unit) == presetValues);
  return 0;
}

std::string UnitText(const HostParameter& p)
{
  switch (p.unit)
  {
    case kAudioUnitParameterUnit_Generic: return "generic";
    case kAudioUnitParameterUnit_Indexed: return "indexed";
    case kAudioUnitParameterUnit_Boolean: return "on/off";
    case kAudioUnitParameterUnit_Percent: return "%";
    case kAudioUnitParameterUnit_Seconds: return "s";
    case kAudioUnitParameterUnit_Hertz: return "Hz";
    case kAudioUnitParameterUnit_Decibels: return "dB";
    case kAudioUnitParameterUnit_LinearGain: return "linear gain";
    case kAudioUnitParameterUnit_Milliseconds: return "ms";
    case kAudioUnitParameterUnit_CustomUnit: return p.unitName.empty() ? "custom" : p.unitName;
    default: return "unit " + std::to_string((int)p.unit);
  }
}

void List(FILE* to, const HostUnit& unit)
{
  const AudioComponentDescription& d = unit.Description();
  fprintf(to, "%s (%s %s %s), version %u.%u.%u\n", unit.Name().empty() ? "(unnamed)" : unit.Name().c_str(),
         TextFromCode(d.componentType).c_str(), TextFromCode(d.componentSubType).c_str(),
         TextFromCode(d.componentManufacturer).c_str(), (unsigned)(unit.Version() >> 16),
         (unsigned)((unit.Version() >> 8) & 0xFF), (unsigned)(unit.Version() & 0xFF));
  fprintf(to, "Parameters (name: range, unit, current value):\n");
  for (const HostParameter& p : unit.Parameters())
  {
    fprintf(to, "  %-8s %s, %s, now %s", (p.name + ":").c_str(), RangeText(p).c_str(), UnitText(p).c_str(),
           unit.ValueText(p).c_str());
    if (!p.valueNames.empty())
    {
      fprintf(to, "; values");
      for (size_t i = 0; i < p.valueNames.size(); ++i) fprintf(to, " %zu \"%s\"", i, p.valueNames[i].c_str());
    }
    fprintf(to, "\n");
  }
  fprintf(to, "Factory presets:\n");
  for (const HostPreset& p : unit.Presets()) fprintf(to, "  %d \"%s\"\n", (int)p.number, p.name.c_str());
  fprintf(to, "Channel configurations (in -> out):");
  const std::vector<AUChannelInfo> configs = unit.ChannelConfigurations();
  for (size_t i = 0; i < configs.size(); ++i)
    fprintf(to, "%s %d -> %d", i ? "," : "", (int)configs[i].inChannels, (int)configs[i].outChannels);
  fprintf(to, "\nLatency: %g s\nTail: %g s\n", unit.LatencySeconds(), unit.TailSeconds());
}

// NaN and infinity have every exponent bit set; the integer test lets the
// compiler check many samples at once.
sf_count_t CountNonFinite(const float* samples, size_t count)
{
  sf_count_t n = 0;
  for (size_t i = 0; i < count; ++i)
  {
    UInt32 bits;
    memcpy(&bits, &samples[i], sizeof(bits));
    n += (bits & 0x7F800000u) == 0x7F800000u;
  }
  return n;
}

// A bar on a terminal, redrawn at most ten times a second.
class Progress
{
public:
  Progress(bool enabled, sf_count_t total, double rate)
    : mEnabled(enabled), mTotal(total), mRate(rate)
  {
  }

  void Update(sf_count_t done)
  {
    if (!mEnabled) return;
    const auto now = std::chrono::steady_clock::now();
    if (mDrawn && now - mLastDraw < std::chrono::milliseconds(100)) return;
    mDrawn = true;
    mLastDraw = now;
    if (mTotal > 0)
    {
      const double fraction = std::min(1.0, (double)done / (double)mTotal);
      const int width = 40;
      const int filled = (int)(fraction * width);
      fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, "========================================", width - filled, "",
              (int)(fraction * 100.0));
    }
    else
      fprintf(stderr, "\r%.0f s rendered", (double)done / mRate);
    fflush(stderr);
  }

  // Leaves the terminal line empty for what follows.
  void Clear()
  {
    if (mEnabled && mDrawn) fprintf(stderr, "\r\033[K");
    fflush(stderr);
  }

private:
  bool mEnabled;
  sf_count_t mTotal;
  double mRate;
  bool mDrawn = false;
  std::chrono::steady_clock::time_point mLastDraw;
};

// The magnitudes' bit patterns order like the magnitudes, so the peak and
// the count of samples beyond full scale come from integer compares; kept
// in separate lanes, they need no vector instructions beyond the baseline's.
// NaN is no level and is left out. Raises *peakBits to the largest |sample|
// seen (as bits); returns the count.
sf_count_t MeasureLevels(const float* samples, size_t count, SInt32* peakBits)
{
  constexpr SInt32 kFullScale = 0x3F800000, kInfinity = 0x7F800000;
  constexpr size_t kLanes = 8;
  SInt32 peak[kLanes] = {}, over[kLanes] = {};
  auto measure = [&](size_t lane, float sample) {
    SInt32 bits;
    memcpy(&bits, &sample, sizeof(bits));
    bits &= 0x7FFFFFFF;
    bits = bits > kInfinity ? 0 : bits;
    peak[lane] = bits > peak[lane] ? bits : peak[lane];
    over[lane] += bits > kFullScale;
  };
  size_t i = 0;
  for (; i + kLanes <= count; i += kLanes)
    for (size_t lane = 0; lane < kLanes; ++lane) measure(lane, samples[i + lane]);
  for (; i < count; ++i) measure(0, samples[i]);
  sf_count_t total = 0;
  for (size_t lane = 0; lane < kLanes; ++lane)
  {
    *peakBits = std::max(*peakBits, peak[lane]);
    total += over[lane];
  }
  return total;
}

struct RenderResult
{
  sf_count_t frames = 0;
  float peak = 0.0f;
  sf_count_t clipped = 0;    // output samples beyond full scale
  sf_count_t nonFinite = 0;  // input samples that are NaN or infinite
  double seconds = 0.0;
};

std::string InputName(const std::string& path) { return path == "-" ? "standard input" : path; }
std::string OutputName(const std::string& path) { return path == "-" ? "standard output" : path; }

bool IsRegularFile(const std::string& path)
{
  struct stat st;
  return path != "-" && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int Render(HostUnit& unit, const Options& o, SNDFILE* in, const SF_INFO& inInfo, StagedFile& out, RenderResult* result)
{
  std::string error;
  int unitOut = 0;
  if (!unit.OutputChannelsFor(inInfo.channels, &unitOut))
    return Fail("the unit has no configuration for %d-channel input", inInfo.channels);
  Feed feed;
  feed.fileChannels = (UInt32)inInfo.channels;
  if (!unit.Prepare((double)inInfo.samplerate, (UInt32)inInfo.channels, (UInt32)unitOut, (UInt32)o.block, FeedInput,
                    &feed, &error))
    return Fail(error);

  if (!out.Create(o.force, &error)) return Fail(error);
  // A stream header can only declare the length a regular input file gives.
  const sf_count_t expected = IsRegularFile(o.input) ? inInfo.frames : -1;
  std::unique_ptr<AudioSink> sink =
    OpenAudioSink(out.Descriptor(), OutputName(o.output), *o.format, inInfo.samplerate, 2, expected, &error);
  if (!sink) return Fail(error);

  std::vector<std::vector<float>> channels((size_t)unitOut, std::vector<float>((size_t)o.block));
  std::vector<UInt8> ablStorage(offsetof(AudioBufferList, mBuffers) + (size_t)unitOut * sizeof(AudioBuffer));
  AudioBufferList* abl = (AudioBufferList*)ablStorage.data();
  std::vector<float> input((size_t)kIoFrames * (size_t)inInfo.channels);
  std::vector<float> output((size_t)kIoFrames * 2);
  Progress progress(!o.quiet && isatty(STDERR_FILENO), inInfo.frames, inInfo.samplerate);
  const auto start = std::chrono::steady_clock::now();
  SInt32 peakBits = 0;
  bool ok = true;
  while (ok)
  {
    const sf_count_t got = sf_readf_float(in, input.data(), kIoFrames);
    if (got < 0 || (got == 0 && sf_error(in) != SF_ERR_NO_ERROR))
    {
      ok = !Fail("cannot read %s: %s", o.input.c_str(), SndfileError(in).c_str());
      break;
    }
    if (got == 0) break;
    result->nonFinite += CountNonFinite(input.data(), (size_t)got * (size_t)inInfo.channels);
    sf_count_t clipped = 0;
    for (sf_count_t done = 0; done < got;)
    {
      const UInt32 n = (UInt32)std::min<sf_count_t>(o.block, got - done);
      feed.interleaved = input.data() + (size_t)done * (size_t)inInfo.channels;
      feed.frames = n;
      abl->mNumberBuffers = (UInt32)unitOut;
      for (int c = 0; c < unitOut; ++c)
        abl->mBuffers[c] = AudioBuffer{1, (UInt32)(n * sizeof(float)), channels[(size_t)c].data()};
      const OSStatus err = unit.Render(n, abl);
      if (err)
      {
        ok = !Fail("the unit failed to render at frame %lld (status %d)", (long long)(result->frames + done), (int)err);
        break;
      }
      // The unit may have pointed the buffers at its own memory.
      const float* left = (const float*)abl->mBuffers[0].mData;
      const float* right = (const float*)abl->mBuffers[std::min(1, unitOut - 1)].mData;
      float* dst = output.data() + (size_t)done * 2;
      for (UInt32 i = 0; i < n; ++i)
      {
        dst[(size_t)i * 2] = left[i];
        dst[(size_t)i * 2 + 1] = right[i];
      }
      clipped += MeasureLevels(dst, (size_t)n * 2, &peakBits);
      done += n;
    }
    if (!ok) break;
    result->clipped += clipped;
    if (!sink->Write(output.data(), got, &error))
    {
      ok = !Fail(error);
      break;
    }
    result->frames += got;
    progress.Update(result->frames);
  }
  if (!sink->Close(&error) && ok) ok = !Fail(error);
  memcpy(&result->peak, &peakBits, sizeof(peakBits));
  result->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  progress.Clear();
  return ok ? 0 : kExitFailure;
}

double Decibels(float v) { return v > 0.0f ? 20.0 * std::log10((double)v) : -INFINITY; }


// What the render did to the audio that the user would not otherwise know.
void WarnAboutRender(const Options& o, const SF_INFO& inInfo, const RenderResult& r)
{
  if (r.nonFinite > 0)
    Warn("%s holds %lld non-finite samples (NaN or infinity)", InputName(o.input).c_str(), (long long)r.nonFinite);
  // Through a pipe a length cannot be checked: streams may say "until the end".
  if (IsRegularFile(o.input))
  {
    const sf_count_t declared = std::max(inInfo.frames, DeclaredFrames(o.input, inInfo));
    if (r.frames < declared)
      Warn("%s is cut short: its header declares %lld frames, the file holds %lld", o.input.c_str(),
           (long long)declared, (long long)r.frames);
  }
  if (r.clipped > 0 && !o.format->HoldsFloat())
    Warn("%lld samples clipped at full scale in %s (peak %+.1f dBFS); lower Level or write a float format",
         (long long)r.clipped, OutputName(o.output).c_str(), Decibels(r.peak));
}

void PrintSummary(FILE* to, const Options& o, const RenderResult& r, double rate)
{
  const double audio = (double)r.frames / rate;
  const double factor = r.seconds > 0 ? audio / r.seconds : 0.0;
  fprintf(to, "%s: %lld frames, %.2f s of audio, real-time factor %.*fx, output peak %.1f dBFS\n",
          OutputName(o.output).c_str(), (long long)r.frames, audio, factor < 10 ? 1 : 0,
          factor, Decibels(r.peak));
}

}  // namespace

int main(int argc, char** argv)
{
  Options o;
  const int parsed = ParseArgs(argc, argv, &o);
  if (parsed == -1) return 0;
  if (parsed) return parsed;
  if (const int bad = CheckDistinctFiles(o)) return bad;
  if (const int bad = ChooseOutputFormat(&o)) return bad;
  InstallStagedFileCleanup();
  DefaultComponentPath(argv[0]);
  // Audio written to standard output must not be mixed with text.
  FILE* text = o.output == "-" ? stderr : stdout;

  SF_INFO inInfo{};
  SNDFILE* in = nullptr;
  if (o.Renders())
  {
    if (const int bad = CheckReadable(o.input)) return bad;
    in = sf_open(o.input.c_str(), SFM_READ, &inInfo);
    if (!in)
      return Fail("cannot read %s: not an audio file libsndfile reads (%s)", InputName(o.input).c_str(),
                  SndfileError(nullptr).c_str());
    if (inInfo.channels < 1 || inInfo.channels > 2 || inInfo.samplerate <= 0)
    {
      sf_close(in);
      if (inInfo.samplerate <= 0) return Fail("cannot read %s: it has no usable sample rate", o.input.c_str());
      return Fail("%s has %d channels; only mono and stereo input is supported", o.input.c_str(), inInfo.channels);
    }
  }

  int status = 0;
  {
    HostUnit unit;
    std::string error, stateName;
    AudioComponentDescription desc{kAudioUnitType_Effect, CodeFromText("orv5"), CodeFromText("Zrnt"), 0, 0};
    if (!unit.Open(desc, &error)) status = Fail(error);
    if (!status) status = ApplySettings(unit, o, &stateName);
    if (!status && o.list) List(text, unit);

    StagedFile state(o.saveState);
    if (!status && !o.saveState.empty())
    {
      // Written before the render, so an unwritable state file is known before the long part.
      CFPropertyListRef dict = nullptr;
      std::vector<UInt8> bytes;
      bool ok = unit.CopyState(&dict, &error);
      CFDictionaryRef named = ok ? CopyAupresetWithName((CFDictionaryRef)dict, stateName) : nullptr;
      ok = named && EncodeAupreset(named, &bytes, &error);
      if (named) CFRelease(named);
      if (dict) CFRelease(dict);
      ok = ok && state.Create(o.force, &error) && state.Write(bytes.data(), bytes.size(), &error);
      if (!ok) status = Fail(error.empty() ? "cannot name the saved state" : error);
    }

    StagedFile output(o.output);
    RenderResult result;
    if (!status && o.Renders()) status = Render(unit, o, in, inInfo, output, &result);
    if (!status && !o.saveState.empty() && !state.Commit(&error)) status = Fail(error);
    if (!status && o.Renders() && !output.Commit(&error)) status = Fail(error);
    if (!status && o.Renders()) WarnAboutRender(o, inInfo, result);
    if (!status && o.Renders() && !o.quiet) PrintSummary(text, o, result, inInfo.samplerate);
  }
  if (in) sf_close(in);
  return status;
}
