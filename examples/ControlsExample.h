#pragma once

// An editor for the Orvanta effect built from the toolkit's further controls
// and its frequency-response graph, drawn without a window: every control
// paints into the editor's draw bitmap, which can be saved as a PNG. The
// graph shows the effect's tone section (its Low shelf and High peak) for the
// current Low and High values.

#include "effect/effect.h"
#include "graphics/graphics.h"

#include <string>

// An editor without a window: images come from a resource folder (PNG files)
// or are drawn here; menus, text entries, dialogs and addresses are answered
// as a user who dismisses them would.
class HeadlessExampleGraphics : public IGraphics
{
public:
  HeadlessExampleGraphics(IFxBase* pPlug, int w, int h, std::string resourceDir)
    : IGraphics(pPlug, w, h), mResourceDir(std::move(resourceDir))
  {
  }

  // UI thread; allocates.
  RAS_IBitmap* OSLoadBitmap(int ID, const char* name) override;

private:
  std::string mResourceDir;
};

// The example's layout on an Orvanta instance and its editor, with the
// controls the example drives kept at hand.
class ControlsExample
{
public:
  static constexpr int kWidth = 480;
  static constexpr int kHeight = 360;
  // The graph's plot area and analysis size.
  static constexpr int kGraphL = 170, kGraphT = 196, kGraphW = 290, kGraphH = 140;
  static constexpr int kFFTSize = 4096;
  // Decibels at the graph's top edge and the span of its height.
  static constexpr double kDBOffset = 12.0, kDBRange = 24.0;
  static constexpr double kLowestHz = 20.0, kHighestHz = 20480.0;

  // Builds the editor and hands it to pPlug (which then owns it).
  ControlsExample(Orvanta* pPlug, const std::string& resourceDir);

  // UI thread, once per editor frame: analyses the tone section's impulse
  // response and repaints what is dirty. No lock beyond the plug-in's.
  void Frame();

  // The tone section's impulse response at the plug-in's current set-up,
  // kFFTSize samples, into out.
  void ToneImpulse(double* out) const;

  IGraphics* Graphics() const { return mGraphics; }
  IFreqResponseGraph* Graph() const { return mGraph; }
  IFaderControl* LowFader() const { return mLowFader; }
  IKnobLineControl* HighKnob() const { return mHighKnob; }
  IOnOffControl* ChannelToggle() const { return mChannelToggle; }

  // The sequence the demo shows: a user pulling Low up and turning High
  // down with the mouse, frame by frame.
  void TurnLowAndHigh();

  // Writes the editor's pixels; false with a message when it cannot.
  bool SavePNG(const std::string& path, std::string* error) const;

private:
  Orvanta* mPlug;
  HeadlessExampleGraphics* mGraphics;
  IFreqResponseGraph* mGraph = nullptr;
  IFaderControl* mLowFader = nullptr;
  IKnobLineControl* mHighKnob = nullptr;
  IOnOffControl* mChannelToggle = nullptr;
};
