#include "hosts/HostSettings.h"

#include "hosts/StagedFile.h"

#include <limits.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

bool ParseNumber(const std::string& s, double* out)
{
  const char* b = s.data();
  const char* e = b + s.size();
  if (b != e && *b == '+') ++b;
  auto r = std::from_chars(b, e, *out, std::chars_format::general);
  return b != e && r.ec == std::errc() && r.ptr == e && std::isfinite(*out);
}

std::string Join(const std::vector<std::string>& v)
{
  std::string s;
  for (const std::string& x : v) s += (s.empty() ? "" : ", ") + x;
  return s;
}

namespace
{
std::string Number(double v)
{
  char buf[32];
  snprintf(buf, sizeof(buf), "%g", v);
  return buf;
}
}  // namespace

std::string RangeText(const HostParameter& p) { return Number(p.minValue) + " to " + Number(p.maxValue); }

bool ParseValue(const HostParameter& p, const std::string& text, double* value, std::string* error)
{
  double v = 0;
  if (ParseNumber(text, &v))
  {
    if (p.IsDiscrete() && v != std::floor(v))
    {
      *error = "value " + text + " for " + p.name + " must be a whole number from " + RangeText(p) +
               (p.valueNames.empty() ? "" : " or one of: " + Join(p.valueNames));
      return false;
    }
    if ((float)v < p.minValue || (float)v > p.maxValue)
    {
      *error = "value " + text + " for " + p.name + " is out of range (" + RangeText(p) + ")";
      return false;
    }
    *value = v;
    return true;
  }
  for (size_t i = 0; i < p.valueNames.size(); ++i)
  {
    if (strcasecmp(p.valueNames[i].c_str(), text.c_str()) != 0) continue;
    *value = (double)i;
    return true;
  }
  if (p.valueNames.empty())
    *error = "value \"" + text + "\" for " + p.name + " is not a number (range " + RangeText(p) + ")";
  else
    *error = "value \"" + text + "\" for " + p.name + " is neither a number from " + RangeText(p) +
             " nor one of: " + Join(p.valueNames);
  return false;
}

std::vector<std::string> ParameterNames(const HostUnit& unit)
{
  std::vector<std::string> names;
  for (const HostParameter& p : unit.Parameters()) names.push_back(p.name);
  return names;
}

std::vector<std::string> PresetNames(const HostUnit& unit)
{
  std::vector<std::string> names;
  for (const HostPreset& p : unit.Presets()) names.push_back(p.name);
  return names;
}

void DefaultComponentPath(const char* argv0)
{
  if (getenv("AUDIO_COMPONENT_PATH")) return;
  char exe[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
  std::string dir;
  if (n > 0)
  {
    exe[n] = 0;
    dir = FolderOf(exe);
  }
  else
    dir = FolderOf(argv0);
  const std::string path = FolderOf(dir) + ":" + dir;
  setenv("AUDIO_COMPONENT_PATH", path.c_str(), 0);
}

OSStatus FeedInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                   AudioBufferList* io)
{
  const Feed* feed = (const Feed*)refCon;
  if (!io) return kAudio_ParamError;
  for (UInt32 b = 0; b < io->mNumberBuffers; ++b)
  {
    AudioBuffer& buf = io->mBuffers[b];
    float* dst = (float*)buf.mData;
    if (!dst || buf.mDataByteSize < frames * sizeof(float)) return kAudio_ParamError;
    const UInt32 ch = std::min(b, feed->fileChannels - 1);
    const UInt32 n = std::min(frames, feed->frames);
    const float* src = feed->interleaved + ch;
    if (feed->fileChannels == 1)
      std::copy(src, src + n, dst);
    else
      for (UInt32 i = 0; i < n; ++i) dst[i] = src[(size_t)i * feed->fileChannels];
    std::fill(dst + n, dst + frames, 0.0f);
    buf.mDataByteSize = frames * sizeof(float);
  }
  return noErr;
}
