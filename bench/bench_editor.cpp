// One frame of a knob drag in the effect's editor: a drag event goes into
// the view, the editor moves Level, the refresh tick invalidates the knob's
// rectangle, the window repaints it (the editor draws the knob into its
// bitmap and hands it to the window) and the pixels go to the window system
// (headless). The images come from the built bundle beside this program's
// folder. Target: a drag at 25 frames per second within 2% of one core,
// under 800 us per frame.

#include "effect/Orvanta.h"
#include "graphics/graphics.h"
#include "graphics/mac/mac.h"

#include <AppKit/OrvantaAppKitTesting.h>
#include <benchmark/benchmark.h>

#include <limits.h>
#include <unistd.h>

#include <memory>
#include <string>

namespace
{
// build/bench/bench_editor -> build/Orvanta.component
CFBundleRef OpenBuiltBundle()
{
  char exe[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
  if (n <= 0) return nullptr;
  exe[n] = 0;
  std::string dir(exe);
  dir = dir.substr(0, dir.rfind('/'));
  dir = dir.substr(0, dir.rfind('/')) + "/Orvanta.component";
  CFStringRef text = CFStringCreateWithCString(nullptr, dir.c_str(), kCFStringEncodingUTF8);
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, text, kCFURLPOSIXPathStyle, true);
  CFBundleRef bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  CFRelease(text);
  return bundle;
}

void BM_EditorKnobDragFrame(benchmark::State& state)
{
  OrvantaAppKitUseHeadless();
  NSApplicationLoad();
  CFBundleRef bundle = OpenBuiltBundle();
  if (!bundle)
  {
    state.SkipWithError("build/Orvanta.component not found");
    return;
  }
  std::unique_ptr<IFxBase> plug(MakePlug());
  IGraphics* editor = plug->GetGUI();
  const int w = editor->Width(), h = editor->Height();
  NSWindow* window = new NSWindow(NSMakeRect(0, 0, w, h), NSWindowStyleMaskTitled, NSBackingStoreBuffered, false);
  window->setReleasedWhenClosed(false);
  editor->OpenWindow(window->contentView());
  window->makeKeyAndOrderFront(nullptr);
  OrvantaAppKitAdvanceClock(0.04);
  // Level's knob, (195, 47) in the editor: (197, h - 50) in the window.
  const double x = 197, y0 = h - 50;
  OrvantaAppKitMouse(window, NSEventTypeLeftMouseDown, NSMakePoint(x, y0));
  const long presents = OrvantaAppKitPresentCount();
  int step = 0;
  for (auto _ : state)
  {
    // Up and down over the knob's whole travel, one pixel a frame.
    step = (step + 1) % 288;
    const double y = y0 + (step < 144 ? step : 288 - step);
    OrvantaAppKitMouse(window, NSEventTypeLeftMouseDragged, NSMakePoint(x, y));
    OrvantaAppKitAdvanceClock(0.04);
  }
  state.counters["frames_shown"] = (double)(OrvantaAppKitPresentCount() - presents);
  OrvantaAppKitMouse(window, NSEventTypeLeftMouseUp, NSMakePoint(x, y0));
  editor->CloseWindow();
  window->close();
  window->release();
  plug.reset();
  CFRelease(bundle);
}
BENCHMARK(BM_EditorKnobDragFrame)->Unit(benchmark::kMicrosecond);
}  // namespace
