#include "hosts/OutputFormats.h"

#include <sndfile.h>

#include <strings.h>

#include <algorithm>

namespace {

std::string Lower(std::string s)
{
  for (char& c : s) c = (char)tolower((unsigned char)c);
  return s;
}

// Best first: 32-bit float keeps everything, then the widest integers, then
// each lossy format's own coding.
int BestSubtype(int major)
{
  for (int sub : {SF_FORMAT_FLOAT, SF_FORMAT_PCM_24, SF_FORMAT_PCM_16, SF_FORMAT_ALAC_24, SF_FORMAT_VORBIS,
                  SF_FORMAT_MPEG_LAYER_III})
    if (CanWriteFormat(major | sub)) return major | sub;
  return 0;
}

std::vector<OutputFormat> BuildFormats()
{
  std::vector<OutputFormat> formats;
  auto add = [&](const std::string& name, int format) {
    if (!format || !CanWriteFormat(format)) return;
    for (const OutputFormat& f : formats)
      if (f.name == name) return;
    formats.push_back(OutputFormat{name, format});
  };
  // Names users type that libsndfile lists under another extension, or not
  // at all: its MPEG entry says "m1a", its Ogg entry "oga".
  add("mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
  add("opus", SF_FORMAT_OGG | SF_FORMAT_OPUS);
  add("ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS);
  add("aif", BestSubtype(SF_FORMAT_AIFF));
  add("aifc", BestSubtype(SF_FORMAT_AIFF));
  // "mat" is listed for both Matlab versions; the newer is the one wanted today.
  add("mat", BestSubtype(SF_FORMAT_MAT5));
  int count = 0;
  sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof(count));
  for (int i = 0; i < count; ++i)
  {
    SF_FORMAT_INFO info{};
    info.format = i;
    if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof(info)) != 0 || !info.extension) continue;
    const int major = info.format & SF_FORMAT_TYPEMASK;
    // The first entry for an extension is the common one (Microsoft WAV before NIST and WAVEX).
    add(Lower(info.extension), BestSubtype(major));
  }
  std::sort(formats.begin(), formats.end(), [](const OutputFormat& a, const OutputFormat& b) { return a.name < b.name; });
  return formats;
}

}  // namespace

bool CanWriteFormat(int format)
{
  SF_INFO probe{};
  probe.samplerate = 48000;
  probe.channels = 2;
  probe.format = format;
  return sf_format_check(&probe) != 0;
}

bool OutputFormat::HoldsFloat() const
{
  const int sub = format & SF_FORMAT_SUBMASK;
  return sub == SF_FORMAT_FLOAT || sub == SF_FORMAT_DOUBLE;
}

const std::vector<OutputFormat>& WritableFormats()
{
  static const std::vector<OutputFormat> formats = BuildFormats();
  return formats;
}

const OutputFormat* FindOutputFormat(const std::string& name)
{
  const std::string key = Lower(name);
  for (const OutputFormat& f : WritableFormats())
    if (f.name == key) return &f;
  return nullptr;
}

const OutputFormat* OutputFormatForPath(const std::string& path, std::string* extension)
{
  const size_t slash = path.rfind('/');
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = base.rfind('.');
  // A leading dot names a hidden file, not an extension.
  extension->clear();
  if (dot != std::string::npos && dot > 0) *extension = base.substr(dot + 1);
  return FindOutputFormat(extension->empty() ? "wav" : *extension);
}

std::string OutputFormatNames()
{
  std::string s;
  for (const OutputFormat& f : WritableFormats()) s += (s.empty() ? "" : ", ") + f.name;
  return s;
}
