#include "effect/Orvanta.h"

#include "effect/OrvantaIds.h"
#include "plugin/IFxFactory.h"

#if !defined(ORVANTA_WRAPPER_LV2)
#include "graphics/graphics.h"
#include "graphics/mac/mac.h"
#endif

Orvanta::Orvanta(IFxInstanceInfo info)
    : IFxAU(info, kNumParams, "1-1 2-2", kNumPresets, "Orvanta", "", "zerrantic", kOrvantaVersion,
            OrvantaFourCC(kOrvantaSubtype), OrvantaFourCC(kOrvantaManufacturer), 0, false, false, false, 0) {
  GetParam(kLevel)->InitDouble("Level", 0.5, 0.0, 1.0, 0.001, "", "", 1.0);
  GetParam(kDrive)->InitDouble("Drive", 0.5, 0.0, 1.0, 0.001, "", "", 1.0);
  GetParam(kLow)->InitDouble("Low", 0.5, 0.0, 1.0, 0.001, "", "", 1.0);
  GetParam(kHigh)->InitDouble("High", 0.5, 0.0, 1.0, 0.001, "", "", 1.0);
  IParam* channel = GetParam(kChannel);
  channel->InitEnum("Channel", OrvantaChain::kDirty, 2, "", "");
  channel->SetDisplayText(OrvantaChain::kClean, "Clean");
  channel->SetDisplayText(OrvantaChain::kDirty, "Dirty");

  // Level, Drive, Low, High as doubles, Channel as an int.
  MakePreset("Dirty", 0.5, 0.3, 0.5, 0.5, 1);
  MakePreset("Clean", 0.5, 0.1, 0.5, 0.5, 0);
  // Asks for fourteen; the third slot is the last free one.
  MakeDefaultPreset("Init", 14);

  BuildEditor();
  Init();
}

#if defined(ORVANTA_WRAPPER_LV2)
// LV2 hosts show their own controls for the ports: no editor.
void Orvanta::BuildEditor() {}
#else
IGraphicsMac* MakeGraphics(IFxAU* plug, int w, int h, int fps) {
  auto* graphics = new IGraphicsMac(plug, w, h, fps);
  graphics->SetBundleID(plug->GetBundleID());
  return graphics;
}

void Orvanta::BuildEditor() {
  // Refresh rate 0: the editor's default of 25 frames per second.
  IGraphics* g = MakeGraphics(this, kEditorWidth, kEditorHeight, 0);
  g->AttachBackground(102, "resources/img/background.png");
  IBitmap sw = g->LoadIBitmap(100, "resources/img/orvanta_switch.png", 2);
  g->AttachControl(new ISwitchControl(this, 139, 35, kChannel, &sw));
  // One film strip serves the four knobs, 40 pixels apart on one row.
  IBitmap knob = g->LoadIBitmap(101, "resources/img/orvanta_knob.png", 65);
  for (int param = kLevel; param <= kHigh; ++param)
    g->AttachControl(new IKnobMultiControl(this, 177 + 40 * param, 29, param, &knob, kVertical, 4.0));
  IBitmap about = g->LoadIBitmap(103, "resources/img/orvanta_about.png", 1);
  g->AttachControl(new IBitmapOverlayControl(this, 19, 97, &about, IRECT(24, 282, 54, 312)));
  AttachGraphics(g);
}
#endif

void Orvanta::Init() {
  OnParamChange(kLevel);
  OnParamChange(kDrive);
  OnParamChange(kChannel);
  mChain.Init(GetSampleRate(), GetParam(kLow)->Value(), GetParam(kHigh)->Value());
}

void Orvanta::Reset() {
  KIT_MutexLock lock(GetMutex());
  mChain.SetSampleRate(GetSampleRate());
}

void Orvanta::OnParamChange(int paramIdx) {
  KIT_MutexLock lock(GetMutex());
  switch (paramIdx) {
    case kLevel: mChain.SetLevel(GetParam(kLevel)->Value()); break;
    case kDrive: mChain.SetDrive(GetParam(kDrive)->Value()); break;
    case kLow: mChain.SetLow(GetParam(kLow)->Value()); break;
    case kHigh: mChain.SetHigh(GetParam(kHigh)->Value()); break;
    // The processing reads Channel itself at the start of every block.
    default: break;
  }
}

bool Orvanta::SetPath(OrvantaPath path) {
  KIT_MutexLock lock(GetMutex());
  return mChain.SetPath(path);
}

void Orvanta::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  // Truncated toward zero: a host may send a fractional value such as 0.7.
  const int channel = GetParam(kChannel)->Int() == OrvantaChain::kDirty ? OrvantaChain::kDirty : OrvantaChain::kClean;
  mChain.Process(inputs, outputs, nFrames, channel);
}

// Host UI thread (instance open); allocates.
IFxBase* MakePlug() {
  return MakePlugUnderFactoryMutex<Orvanta>(kOrvantaBundleID, kOrvantaViewClassName);
}

IFXAU_ENTRY_POINTS(Orvanta)
