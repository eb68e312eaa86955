#pragma once

#include "effect/OrvantaWrapper.h"
#include "effect/OrvantaChain.h"

#if !defined(ORVANTA_WRAPPER_LV2)
class IGraphicsMac;
// Host UI thread; allocates: an editor of the given size and refresh rate
// (0: the default) for the plug-in, finding its images in the plug-in's bundle.
IGraphicsMac* MakeGraphics(IFxAU* plug, int w, int h, int fps);
#endif

// The Orvanta amp effect: five parameters, three factory presets and the amp
// chain (OrvantaChain), wrapped as an Audio Unit.
class Orvanta : public IFxAU {
public:
  enum EParams { kLevel = 0, kDrive, kLow, kHigh, kChannel, kNumParams };
  // The editor's fixed size in pixels.
  static constexpr int kEditorWidth = 432, kEditorHeight = 357;
  // "Dirty", "Clean" and one "Init" with the defaults.
  static constexpr int kNumPresets = 3;

  // Host UI thread (instance open, under the factory mutex); allocates.
  explicit Orvanta(IFxInstanceInfo info);
  // Host UI thread (instance close).
  ~Orvanta() override = default;

  // Derives level gain and drive from the parameters, sets every filter up at
  // the plug-in's sample rate and fills the noise table. Host UI thread.
  void Init();

  // Host UI thread; takes the mutex. Re-runs the filter set-up (clearing every
  // filter state) only when the sample rate changed; no allocation.
  void Reset() override;
  // Host UI or editor thread; takes the mutex; no allocation.
  void OnParamChange(int paramIdx) override;
  // Render thread, with the mutex held by the wrapper; no allocation, no lock.
  // Sums both inputs, runs the channel the Channel parameter selects and
  // writes the same result to both outputs.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

  const OrvantaChain& Chain() const { return mChain; }
  // Runs the chain on `path` from the next block on; false where the
  // processor lacks it. Host UI thread; takes the mutex; no allocation.
  bool SetPath(OrvantaPath path);

private:
  // Host UI thread (construction); allocates: the editor with its background,
  // channel switch, four knobs and about box, attached to the plug-in.
  void BuildEditor();

  OrvantaChain mChain;
};
