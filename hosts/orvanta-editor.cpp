// orvanta-editor: shows the Orvanta Audio Unit's own editor the way a host
// on the platform does, through nothing but the host API and the window
// system: the unit is opened, its Cocoa-UI property names the bundle and the
// view factory class, the class is looked up by name in the class registry,
// instantiated and asked for the view, which goes into a window. While the
// window is open a looping input file is rendered through the unit to an
// output file in real time, so moving the knobs is heard in the result.

#include "hosts/HostSettings.h"
#include "hosts/HostUnit.h"
#include "hosts/WindowImage.h"

#include <AppKit/AppKit.h>
#include <AppKit/OrvantaAppKitTesting.h>
#include <AudioUnit/AUCocoaUIView.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kProg = "orvanta-editor";
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr UInt32 kBlock = 512;

struct Options
{
  std::string input, output, screenshot, preset;
  std::vector<std::pair<std::string, std::string>> sets;
  unsigned long parent = 0;  // --parent: an X11 window to show the editor in
  double seconds = 0;        // --seconds: close by itself after this long
};

volatile sig_atomic_t gQuit = 0;
void OnSignal(int) { gQuit = 1; }

int Fail(const std::string& message)
{
  fprintf(stderr, "%s: %s\n", kProg, message.c_str());
  return kExitFailure;
}

int UsageFail(const std::string& message)
{
  fprintf(stderr, "%s: %s\n", kProg, message.c_str());
  return kExitUsage;
}

void PrintHelp()
{
  printf(
    "usage: %s [options] [INPUT OUTPUT]\n"
    "Opens the Orvanta Audio Unit and shows its editor in a window. With INPUT and\n"
    "OUTPUT, INPUT (mono or stereo, any format libsndfile reads) is rendered through\n"
    "the unit in a loop, in real time, into OUTPUT (a 32-bit float stereo WAV file)\n"
    "until the window is closed, so every move of a knob is heard in OUTPUT.\n"
    "On exit the parameters' values are printed, one NAME=VALUE a line.\n"
    "\n"
    "options:\n"
    "  --screenshot FILE    draw the editor without a display into FILE (PNG) and exit\n"
    "  --preset NAME        start from the factory preset NAME\n"
    "  --set NAME=VALUE     set a parameter (repeatable), as orvanta-render does\n"
    "  --parent XID         show the editor inside the X11 window XID (embedding)\n"
    "  --seconds N          close the editor by itself after N seconds\n"
    "  --help               this text\n"
    "Exit status: 0 done, 1 failed, 2 bad command line.\n",
    kProg);
}

int ParseArgs(int argc, char** argv, Options* o)
{
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i)
  {
    std::string a = argv[i];
    if (a.empty() || a[0] != '-')
    {
      positional.push_back(a);
      continue;
    }
    if (a == "--help" || a == "-h")
    {
      PrintHelp();
      return -1;
    }
    std::string v;
    const size_t eq = a.find('=');
    if (a.compare(0, 2, "--") == 0 && eq != std::string::npos)
    {
      v = a.substr(eq + 1);
      a = a.substr(0, eq);
    }
    else if (i + 1 < argc)
      v = argv[++i];
    if (a != "--screenshot" && a != "--preset" && a != "--set" && a != "--parent" && a != "--seconds")
      return UsageFail("unknown option " + a + " (see --help)");
    if (v.empty()) return UsageFail(a + " needs a value (see --help)");
    if (a == "--screenshot") o->screenshot = v;
    else if (a == "--preset") o->preset = v;
    else if (a == "--set")
    {
      const size_t sep = v.find('=');
      if (sep == std::string::npos || sep == 0 || sep + 1 == v.size())
        return UsageFail("--set needs NAME=VALUE, got \"" + v + "\"");
      o->sets.emplace_back(v.substr(0, sep), v.substr(sep + 1));
    }
    else if (a == "--parent")
    {
      char* end = nullptr;
      o->parent = strtoul(v.c_str(), &end, 0);
      if (!end || *end || !o->parent) return UsageFail("--parent needs an X11 window id, got \"" + v + "\"");
    }
    else if (!ParseNumber(v, &o->seconds) || o->seconds <= 0)
      return UsageFail("--seconds needs a positive number, got \"" + v + "\"");
  }
  if (positional.size() == 2)
  {
    o->input = positional[0];
    o->output = positional[1];
  }
  else if (!positional.empty())
    return UsageFail("expected INPUT and OUTPUT, or neither (see --help)");
  if (!o->screenshot.empty() && (!o->input.empty() || o->parent || o->seconds > 0))
    return UsageFail("--screenshot draws one picture: it takes no audio files, --parent or --seconds");
  return 0;
}

int ApplySettings(HostUnit& unit, const Options& o)
{
  std::string error;
  if (!o.preset.empty())
  {
    const HostPreset* preset = unit.FindPreset(o.preset);
    if (!preset) return UsageFail("unknown preset \"" + o.preset + "\"; valid presets: " + Join(PresetNames(unit)));
    if (!unit.SelectPreset(*preset, &error)) return Fail(error);
  }
  for (const auto& [name, text] : o.sets)
  {
    const HostParameter* p = unit.FindParameter(name);
    if (!p) return UsageFail("unknown parameter \"" + name + "\"; valid parameters: " + Join(ParameterNames(unit)));
    double v = 0;
    if (!ParseValue(*p, text, &v, &error)) return UsageFail(error);
    if (!unit.SetParameter(*p, v, &error)) return Fail(error);
  }
  return 0;
}

// The view a host gets for the unit: the Cocoa-UI property names the bundle
// and the factory class; the class registry makes the factory, which makes
// the view. *factory is to be released after the view is gone.
NSView* OpenEditorView(HostUnit& unit, NSObject** factory, std::string* error)
{
  AudioUnitCocoaViewInfo info{};
  UInt32 size = sizeof(info);
  const OSStatus err =
    AudioUnitGetProperty(unit.Get(), kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size);
  if (err != noErr)
  {
    *error = "the unit offers no editor (status " + std::to_string((int)err) + ")";
    return nullptr;
  }
  // The bundle's executable is the component, already loaded: its classes are registered.
  CFBundleRef bundle = CFBundleCreate(nullptr, info.mCocoaAUViewBundleLocation);
  if (bundle) CFRelease(bundle);
  const std::string className = StringFromCF(info.mCocoaAUViewClass[0]);
  Class cls = NSClassFromString(info.mCocoaAUViewClass[0]);
  CFRelease(info.mCocoaAUViewBundleLocation);
  CFRelease(info.mCocoaAUViewClass[0]);
  if (!cls || !cls->conformsToProtocol(objc_getProtocol("AUCocoaUIBase")))
  {
    *error = "the view factory class \"" + className + "\" is not registered as a Cocoa view factory";
    return nullptr;
  }
  *factory = cls->createInstance();
  auto* ui = dynamic_cast<AUCocoaUIBase*>(*factory);
  NSView* view = ui ? ui->uiViewForAudioUnit(unit.Get(), NSMakeSize(0, 0)) : nullptr;
  if (!view) *error = "the view factory \"" + className + "\" gave no view";
  return view;
}

void PrintValues(const HostUnit& unit)
{
  for (const HostParameter& p : unit.Parameters())
  {
    float v = 0;
    if (unit.GetParameter(p, &v)) printf("%s=%.9g\n", p.name.c_str(), (double)v);
  }
  fflush(stdout);
}

int Screenshot(NSView* view, const std::string& path)
{
  const NSRect frame = view->frame();
  NSWindow* window = new NSWindow(frame, NSWindowStyleMaskBorderless, NSBackingStoreBuffered, false);
  window->contentView()->addSubview(view);
  window->display();
  std::string error;
  const bool ok = WriteWindowPNG(path, window->pixels(), window->pixelsPerRow(), (int)frame.size.width,
                                 (int)frame.size.height, &error);
  view->removeFromSuperview();
  window->close();
  return ok ? 0 : Fail(error);
}

// The looping input and the output, rendered as time passes.
class LoopRender
{
public:
  ~LoopRender()
  {
    if (mOut) sf_close(mOut);
  }

  int Open(HostUnit& unit, const std::string& input, const std::string& output)
  {
    SF_INFO info{};
    SNDFILE* in = sf_open(input.c_str(), SFM_READ, &info);
    if (!in) return Fail("cannot read " + input + ": " + sf_strerror(nullptr));
    if (info.channels < 1 || info.channels > 2 || info.frames <= 0 || info.samplerate <= 0)
    {
      sf_close(in);
      return Fail(input + " must hold mono or stereo audio");
    }
    mInput.resize((size_t)info.frames * (size_t)info.channels);
    const sf_count_t got = sf_readf_float(in, mInput.data(), info.frames);
    sf_close(in);
    if (got <= 0) return Fail("cannot read " + input);
    mFrames = (size_t)got;
    mChannels = (UInt32)info.channels;
    mRate = info.samplerate;
    int outChannels = 0;
    std::string error;
    if (!unit.OutputChannelsFor(info.channels, &outChannels)) return Fail("the unit takes no such input");
    mFeed.fileChannels = mChannels;
    if (!unit.Prepare(mRate, mChannels, (UInt32)outChannels, kBlock, FeedInput, &mFeed, &error)) return Fail(error);
    mOutChannels = outChannels;
    SF_INFO outInfo{};
    outInfo.samplerate = mRate;
    outInfo.channels = 2;
    outInfo.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    mOut = sf_open(output.c_str(), SFM_WRITE, &outInfo);
    if (!mOut) return Fail("cannot write " + output + ": " + sf_strerror(nullptr));
    mBuffers.assign((size_t)outChannels, std::vector<float>(kBlock));
    mAbl.resize(offsetof(AudioBufferList, mBuffers) + (size_t)outChannels * sizeof(AudioBuffer));
    mStart = std::chrono::steady_clock::now();
    return 0;
  }

  // Renders up to the wall clock, one block at a time, wrapping at the input's end.
  int CatchUp(HostUnit& unit)
  {
    if (!mOut) return 0;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - mStart).count();
    const sf_count_t due = (sf_count_t)(elapsed * mRate);
    std::vector<float> interleaved((size_t)kBlock * 2);
    while (mRendered < due)
    {
      const UInt32 n = (UInt32)std::min<size_t>(kBlock, mFrames - mPos);
      mFeed.interleaved = mInput.data() + mPos * mChannels;
      mFeed.frames = n;
      auto* abl = (AudioBufferList*)mAbl.data();
      abl->mNumberBuffers = (UInt32)mOutChannels;
      for (int c = 0; c < mOutChannels; ++c)
        abl->mBuffers[c] = AudioBuffer{1, (UInt32)(n * sizeof(float)), mBuffers[(size_t)c].data()};
      if (const OSStatus err = unit.Render(n, abl)) return Fail("the unit failed to render (status " + std::to_string((int)err) + ")");
      const float* left = (const float*)abl->mBuffers[0].mData;
      const float* right = (const float*)abl->mBuffers[std::min(1, mOutChannels - 1)].mData;
      for (UInt32 i = 0; i < n; ++i)
      {
        interleaved[(size_t)i * 2] = left[i];
        interleaved[(size_t)i * 2 + 1] = right[i];
      }
      if (sf_writef_float(mOut, interleaved.data(), n) != n) return Fail(std::string("cannot write: ") + sf_strerror(mOut));
      mRendered += n;
      mPos = (mPos + n) % mFrames;
    }
    return 0;
  }

private:
  std::vector<float> mInput;
  size_t mFrames = 0, mPos = 0;
  UInt32 mChannels = 1;
  int mOutChannels = 2;
  int mRate = 44100;
  Feed mFeed;
  SNDFILE* mOut = nullptr;
  sf_count_t mRendered = 0;
  std::vector<std::vector<float>> mBuffers;
  std::vector<UInt8> mAbl;
  std::chrono::steady_clock::time_point mStart;
};

class CloseBox : public NSWindowDelegate
{
public:
  bool windowShouldClose(NSWindow*) override
  {
    gQuit = 1;
    return false;
  }
};

int ShowEditor(HostUnit& unit, NSView* view, const Options& o)
{
  LoopRender audio;
  if (!o.input.empty())
    if (const int bad = audio.Open(unit, o.input, o.output)) return bad;
  const NSRect frame = view->frame();
  NSWindow* window;
  if (o.parent)
    window = new NSWindow((uintptr_t)o.parent, NSMakeRect(0, 0, frame.size.width, frame.size.height));
  else
  {
    window = new NSWindow(NSMakeRect(100, 100, frame.size.width, frame.size.height),
                          (NSWindowStyleMask)(NSWindowStyleMaskTitled | NSWindowStyleMaskClosable),
                          NSBackingStoreBuffered, false);
    window->setTitle(CFSTR("Orvanta"));
  }
  CloseBox closeBox;
  window->setDelegate(&closeBox);
  window->contentView()->addSubview(view);
  window->makeKeyAndOrderFront(nullptr);
  printf("window 0x%lx\n", (unsigned long)window->windowRef());
  fflush(stdout);

  signal(SIGINT, OnSignal);
  signal(SIGTERM, OnSignal);
  const double until = o.seconds > 0 ? NSDate::date() + o.seconds : NSDate::distantFuture();
  int status = 0;
  while (!gQuit && !status && NSDate::date() < until)
  {
    NSAutoreleasePool pool;
    NSRunLoop::currentRunLoop()->runMode(NSDefaultRunLoopMode, NSDate::date() + 0.005);
    status = audio.CatchUp(unit);
  }
  // Removing the view closes the editor; then the window goes.
  view->removeFromSuperview();
  window->setDelegate(nullptr);
  window->close();
  return status;
}

}  // namespace

int main(int argc, char** argv)
{
  Options o;
  const int parsed = ParseArgs(argc, argv, &o);
  if (parsed == -1) return 0;
  if (parsed) return parsed;
  // The editor loads the window system when the unit opens: choose it first.
  if (!o.screenshot.empty()) OrvantaAppKitUseHeadless();
  NSApplicationLoad();
  if (o.screenshot.empty() && OrvantaAppKitIsHeadless())
    return Fail("no X display to show the editor on (is DISPLAY set?); --screenshot FILE draws it without one");
  DefaultComponentPath(argv[0]);

  int status = 0;
  {
    HostUnit unit;
    std::string error;
    AudioComponentDescription desc{kAudioUnitType_Effect, CodeFromText("orv5"), CodeFromText("Zrnt"), 0, 0};
    if (!unit.Open(desc, &error)) return Fail(error);
    if ((status = ApplySettings(unit, o))) return status;
    NSObject* factory = nullptr;
    NSView* view = nullptr;
    {
      NSAutoreleasePool pool;
      view = OpenEditorView(unit, &factory, &error);
      // The view is the host's until it leaves the window.
      if (view) view->retain();
    }
    if (!view) status = Fail(error);
    else if (!o.screenshot.empty()) status = Screenshot(view, o.screenshot);
    else status = ShowEditor(unit, view, o);
    if (view) view->release();
    if (factory) factory->release();
    if (!status && o.screenshot.empty()) PrintValues(unit);
  }
  return status;
}
