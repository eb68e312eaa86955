#include "lv2/LV2Turtle.h"

#include "lv2/LV2PortLayout.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace
{
const char kPrefixes[] =
  "@prefix doap:  <http://usefulinc.com/ns/doap#> .\n"
  "@prefix foaf:  <http://xmlns.com/foaf/0.1/> .\n"
  "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
  "@prefix opts:  <http://lv2plug.in/ns/ext/options#> .\n"
  "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
  "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
  "@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .\n"
  "@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
  "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n"
  "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
  "@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .\n"
  "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
  "@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .\n\n";

// Writes text as a Turtle string literal, quotes included.
void PutLiteral(FILE* f, const char* text)
{
  fputc('"', f);
  for (const unsigned char* c = (const unsigned char*)text; *c; ++c)
  {
    switch (*c)
    {
      case '"': fputs("\\\"", f); break;
      case '\\': fputs("\\\\", f); break;
      case '\n': fputs("\\n", f); break;
      case '\r': fputs("\\r", f); break;
      case '\t': fputs("\\t", f); break;
      default:
        if (*c < 0x20)
          fprintf(f, "\\u%04X", *c);
        else
          fputc(*c, f);
    }
  }
  fputc('"', f);
}

// A control value as a Turtle decimal: what a float port holds, written so
// that it reads back to the same float, always with a '.' so it is not taken
// for an integer.
void PutNumber(FILE* f, double value)
{
  const float v = (float)value;
  char text[40];
  if (!std::isfinite(v))
  {
    fputs(v > 0 ? "\"INF\"^^<http://www.w3.org/2001/XMLSchema#float>"
                : v < 0 ? "\"-INF\"^^<http://www.w3.org/2001/XMLSchema#float>"
                        : "\"NaN\"^^<http://www.w3.org/2001/XMLSchema#float>",
          f);
    return;
  }
  // The shortest text that reads back as this float.
  for (int digits = 6; digits <= 9; ++digits)
  {
    snprintf(text, sizeof(text), "%.*g", digits, (double)v);
    if (strtof(text, nullptr) == v) break;
  }
  fputs(text, f);
  if (!strpbrk(text, ".eEn")) fputs(".0", f);
}

// The preset's resource: the plug-in's URI and the preset's 1-based slot.
void PutPresetURI(FILE* f, const LV2Turtle::Identity& id, int presetIdx)
{
  fprintf(f, "<%s#preset-%d>", id.uri, presetIdx + 1);
}

void AudioPortName(const char* stem, int channel, int nChannels, char* name, size_t size)
{
  static const char* const kStereo[2] = {"L", "R"};
  if (nChannels == 1)
    snprintf(name, size, "%s", stem);
  else if (nChannels == 2)
    snprintf(name, size, "%s %s", stem, kStereo[channel]);
  else
    snprintf(name, size, "%s %d", stem, channel + 1);
}

void PutAudioPort(FILE* f, IFxBase& plug, const LV2PortLayout& ports, uint32_t port, bool input,
                  int channel, bool optional)
{
  char sym[LV2PortLayout::kMaxSymbolLen];
  char name[64];
  ports.Symbol(plug, port, sym);
  AudioPortName(input ? "Input" : "Output", channel, input ? ports.NAudioIn() : ports.NAudioOut(), name,
                sizeof(name));
  fprintf(f, "[\n        a lv2:AudioPort , %s ;\n        lv2:index %u ;\n        lv2:symbol ",
          input ? "lv2:InputPort" : "lv2:OutputPort", port);
  PutLiteral(f, sym);
  fputs(" ;\n        lv2:name ", f);
  PutLiteral(f, name);
  if (optional) fputs(" ;\n        lv2:portProperty lv2:connectionOptional", f);
  fputs("\n    ]", f);
}

void PutControlPort(FILE* f, IFxBase& plug, const LV2PortLayout& ports, int paramIdx)
{
  const IParam* p = plug.GetParam(paramIdx);
  const uint32_t port = ports.ControlPort(paramIdx);
  char sym[LV2PortLayout::kMaxSymbolLen];
  ports.Symbol(plug, port, sym);
  fprintf(f, "[\n        a lv2:InputPort , lv2:ControlPort ;\n        lv2:index %u ;\n        lv2:symbol ", port);
  PutLiteral(f, sym);
  fputs(" ;\n        lv2:name ", f);
  PutLiteral(f, p->GetNameForHost());
  fputs(" ;\n        lv2:default ", f);
  PutNumber(f, p->GetDefault());
  fputs(" ;\n        lv2:minimum ", f);
  PutNumber(f, p->GetMin());
  fputs(" ;\n        lv2:maximum ", f);
  PutNumber(f, p->GetMax());

  switch (p->Type())
  {
    case IParam::kTypeBool: fputs(" ;\n        lv2:portProperty lv2:integer , lv2:toggled", f); break;
    case IParam::kTypeInt: fputs(" ;\n        lv2:portProperty lv2:integer", f); break;
    case IParam::kTypeEnum: fputs(" ;\n        lv2:portProperty lv2:integer , lv2:enumeration", f); break;
    default: break;
  }
  if (!p->GetCanAutomate()) fputs(" ;\n        lv2:portProperty pprops:notAutomatic", f);

  const char* label = p->GetLabelForHost();
  if (const char* unit = LV2Turtle::UnitForLabel(label))
    fprintf(f, " ;\n        units:unit %s", unit);
  else if (label && label[0])
  {
    // A label no standard unit matches still shows beside the value.
    fputs(" ;\n        units:unit [\n            a units:Unit ;\n            rdfs:label ", f);
    PutLiteral(f, label);
    fputs(" ;\n            units:symbol ", f);
    PutLiteral(f, label);
    char render[64];
    snprintf(render, sizeof(render), "%%f %s", label);
    fputs(" ;\n            units:render ", f);
    PutLiteral(f, render);
    fputs("\n        ]", f);
  }

  for (int t = 0; t < p->GetNDisplayTexts(); ++t)
  {
    int value = 0;
    const char* text = p->GetDisplayTextAtIdx(t, &value);
    fputs(t == 0 ? " ;\n        lv2:scalePoint [\n" : " , [\n", f);
    fputs("            rdfs:label ", f);
    PutLiteral(f, text);
    fputs(" ;\n            rdf:value ", f);
    PutNumber(f, value);
    fputs("\n        ]", f);
  }
  fputs("\n    ]", f);
}

void PutLatencyPort(FILE* f, IFxBase& plug, const LV2PortLayout& ports)
{
  char sym[LV2PortLayout::kMaxSymbolLen];
  ports.Symbol(plug, ports.LatencyPort(), sym);
  fprintf(f,
          "[\n        a lv2:OutputPort , lv2:ControlPort ;\n        lv2:index %u ;\n        lv2:symbol ",
          ports.LatencyPort());
  PutLiteral(f, sym);
  fputs(" ;\n        lv2:name \"Latency\" ;\n        lv2:minimum 0.0 ;\n"
        "        lv2:designation lv2:latency ;\n"
        "        lv2:portProperty lv2:reportsLatency , lv2:integer , pprops:notOnGUI ;\n"
        "        units:unit units:frame\n    ]",
        f);
}

void PutPresets(FILE* f, IFxBase& plug, const LV2Turtle::Identity& id, const LV2PortLayout& ports)
{
  KIT_MutexLock lock(plug.GetMutex());
  const int current = plug.GetCurrentPresetIdx();
  for (int i = 0; i < plug.NPresets(); ++i)
  {
    if (!plug.GetPreset(i)->mInitialized || !plug.RestorePreset(i)) continue;
    fputc('\n', f);
    PutPresetURI(f, id, i);
    fprintf(f, "\n    a pset:Preset ;\n    lv2:appliesTo <%s> ;\n    rdfs:label ", id.uri);
    PutLiteral(f, plug.GetPresetName(i));
    fputs(" ;\n    lv2:port ", f);
    for (int p = 0; p < plug.NParams(); ++p)
    {
      char sym[LV2PortLayout::kMaxSymbolLen];
      ports.Symbol(plug, ports.ControlPort(p), sym);
      fputs(p ? " , [\n        lv2:symbol " : "[\n        lv2:symbol ", f);
      PutLiteral(f, sym);
      fputs(" ;\n        pset:value ", f);
      PutNumber(f, plug.GetParam(p)->Value());
      fputs("\n    ]", f);
    }
    fputs(" .\n", f);
  }
  plug.RestorePreset(current);
}
}  // namespace

const char* LV2Turtle::UnitForLabel(const char* label)
{
  static const struct
  {
    const char* label;
    const char* unit;
  } kUnits[] = {{"dB", "units:db"},    {"Hz", "units:hz"},   {"kHz", "units:khz"}, {"MHz", "units:mhz"},
                {"ms", "units:ms"},    {"s", "units:s"},     {"min", "units:min"}, {"%", "units:pc"},
                {"bpm", "units:bpm"},  {"cents", "units:cent"}, {"cent", "units:cent"},
                {"semitones", "units:semitone12TET"}, {"st", "units:semitone12TET"},
                {"oct", "units:oct"},  {"deg", "units:degree"}, {"samples", "units:frame"},
                {"beats", "units:beat"}, {"bars", "units:bar"}};
  if (!label || !label[0]) return nullptr;
  for (const auto& u : kUnits)
    if (strcmp(label, u.label) == 0) return u.unit;
  // "db", "HZ" and the like are meant as the same units.
  for (const auto& u : kUnits)
    if (strcasecmp(label, u.label) == 0 && strcmp(u.label, "ms") != 0 && strcmp(u.label, "MHz") != 0)
      return u.unit;
  return nullptr;
}

bool LV2Turtle::WriteManifest(IFxBase& plug, const Identity& id, FILE* f)
{
  fputs(kPrefixes, f);
  fprintf(f, "<%s>\n    a lv2:Plugin ;\n    lv2:binary <%s> ;\n    rdfs:seeAlso <%s> .\n", id.uri, id.binary,
          id.ttl);
  if (id.uiBinary && id.uiBinary[0])
    fprintf(f, "\n<%s#ui>\n    a ui:X11UI ;\n    ui:binary <%s> ;\n    rdfs:seeAlso <%s> .\n", id.uri, id.uiBinary,
            id.ttl);
  for (int i = 0; i < plug.NPresets(); ++i)
  {
    if (!plug.GetPreset(i)->mInitialized) continue;
    fputc('\n', f);
    PutPresetURI(f, id, i);
    fprintf(f, "\n    a pset:Preset ;\n    lv2:appliesTo <%s> ;\n    rdfs:seeAlso <%s> .\n", id.uri, id.ttl);
  }
  return !ferror(f);
}

bool LV2Turtle::WriteDescription(IFxBase& plug, const Identity& id, FILE* f)
{
  const LV2PortLayout ports(plug);
  const int version = plug.GetEffectVersion(false);
  fputs(kPrefixes, f);
  fprintf(f, "<%s>\n    a lv2:Plugin", id.uri);
  if (id.pluginClass && id.pluginClass[0]) fprintf(f, " , lv2:%s", id.pluginClass);
  fputs(" ;\n    doap:name ", f);
  PutLiteral(f, plug.GetEffectName());
  fputs(" ;\n    lv2:project [\n        a doap:Project ;\n        doap:name ", f);
  PutLiteral(f, plug.GetEffectName());
  fputs(" ;\n        doap:maintainer [\n            a foaf:Person ;\n            foaf:name ", f);
  PutLiteral(f, plug.GetMfrName());
  fputs("\n        ]\n    ] ;\n", f);
  // The URI carries no major version; the vendor version's minor and patch
  // numbers are LV2's minor and micro versions.
  fprintf(f, "    lv2:minorVersion %d ;\n    lv2:microVersion %d ;\n", (version >> 8) & 0xff, version & 0xff);
  const bool hasUI = id.uiBinary && id.uiBinary[0];
  if (hasUI) fprintf(f, "    ui:ui <%s#ui> ;\n", id.uri);
  fputs("    lv2:optionalFeature lv2:hardRTCapable , urid:map , opts:options ;\n"
        "    opts:supportedOption bufsz:maxBlockLength , bufsz:nominalBlockLength ;\n"
        "    lv2:extensionData state:interface ;\n"
        "    lv2:port ",
        f);
  bool first = true;
  auto separate = [&] {
    if (!first) fputs(" , ", f);
    first = false;
  };
  for (int c = 0; c < ports.NAudioIn(); ++c)
  {
    separate();
    PutAudioPort(f, plug, ports, ports.AudioInPort(c), true, c, c >= ports.NRequiredAudioIn());
  }
  for (int c = 0; c < ports.NAudioOut(); ++c)
  {
    separate();
    PutAudioPort(f, plug, ports, ports.AudioOutPort(c), false, c, false);
  }
  for (int p = 0; p < ports.NControls(); ++p)
  {
    separate();
    PutControlPort(f, plug, ports, p);
  }
  separate();
  PutLatencyPort(f, plug, ports);
  fputs(" .\n", f);
  // The UI talks to the plug-in through port events only (no instance
  // access); it asks for idle calls and takes the parent window and the
  // resize notice when the host offers them.
  if (hasUI)
    fprintf(f,
            "\n<%s#ui>\n    a ui:X11UI ;\n"
            "    lv2:requiredFeature ui:idleInterface ;\n"
            "    lv2:optionalFeature ui:parent , ui:resize , ui:touch ;\n"
            "    lv2:extensionData ui:idleInterface .\n",
            id.uri);
  PutPresets(f, plug, id, ports);
  return !ferror(f);
}
