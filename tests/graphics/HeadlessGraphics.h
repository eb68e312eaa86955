#pragma once

// A window-less editor and a plug-in for the manager's and the controls'
// tests. The editor records what it would show (screen updates, menus, text
// entries) and answers menus from a script; the plug-in records what the
// editor tells the host, in order. AmpEditor builds the effect's own layout
// from synthetic images whose every frame has its own colour.

#include "graphics/graphics.h"
#include "plugin/plugin.h"
#include "raster/raster.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class RecordingPlug : public IFxBase
{
public:
  RecordingPlug();

  void BeginInformHostOfParamChange(int idx) override { mEvents.push_back("begin " + std::to_string(idx)); }
  void InformHostOfParamChange(int idx, double v) override;
  void EndInformHostOfParamChange(int idx) override { mEvents.push_back("end " + std::to_string(idx)); }
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int*, int*) override {}
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int w, int h) override;
  bool SendMidiMsg(IMidiMsg*) override { return false; }

  // Begins, changes and ends as "begin 0", "change 0 0.25", "end 0".
  std::vector<std::string> mEvents;
  std::vector<double> mChangedValues;
  std::function<void(int, int)> mOnResize;
};

// A control's draws counted, the control otherwise unchanged.
template <class T>
class Counted : public T
{
public:
  using T::T;
  bool Draw(IGraphics* pGraphics) override
  {
    ++mDraws;
    return T::Draw(pGraphics);
  }
  int mDraws = 0;
};

class HeadlessGraphics : public IGraphics
{
public:
  struct MenuShown
  {
    std::vector<std::string> items;
    std::vector<bool> checked;
    IRECT rect;
  };
  struct TextEntry
  {
    IControl* control;
    IParam* param;
    IRECT rect;
    std::string text;
  };

  HeadlessGraphics(IFxBase* pPlug, int w, int h) : IGraphics(pPlug, w, h) {}

  bool DrawScreen(IRECT* pR) override
  {
    mScreenUpdates.push_back(*pR);
    return true;
  }
  void ForceEndUserEdit() override
  {
    ++mForcedEnds;
    mOpenEntry = false;
  }
  IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pR) override;
  void CreateTextEntry(IControl* pControl, IText* pText, IRECT* pR, const char* str, IParam* pParam) override;
  RAS_IBitmap* OSLoadBitmap(int ID, const char* name) override;

  // The platform ending an open text entry with txt.
  void FinishTextEntry(const char* txt);

  std::vector<IRECT> mScreenUpdates;
  std::vector<MenuShown> mMenus;
  // The index each next menu answers with; -1 dismisses, an empty script too.
  std::deque<int> mMenuAnswers;
  std::vector<TextEntry> mEntries;
  bool mOpenEntry = false;
  int mForcedEnds = 0;
};

// The effect's editor, 432 x 357.
enum
{
  kAmpW = 432,
  kAmpH = 357,
  kKnobSize = 36,   // one knob frame is kKnobSize x kKnobSize
  kSwitchW = 30,
  kSwitchH = 40,    // one switch frame
  kAboutW = 394,
  kAboutH = 220
};

// Control indices of the effect's layout, in attach order.
enum
{
  kBackground = 0,
  kSwitch = 1,
  kLevelKnob = 2,
  kAbout = 6
};

// Frame colours of the synthetic images: opaque, a different hue per image
// and a different shade per frame (frames count from 1).
RAS_pixel KnobFramePixel(int frame);
RAS_pixel SwitchFramePixel(int frame);
RAS_pixel AboutPixel();
RAS_pixel BackgroundPixel(int x, int y);

// An image of w x (h * frames) whose pixels come from pixel(frame, x, y).
RAS_MemBitmap* MakeStrip(int w, int h, int frames, const std::function<RAS_pixel(int, int, int)>& pixel);

// Attaches the effect's layout to pGraphics and hands it to pPlug; every
// control is a Counted<> one so that the tests can count its draws.
void BuildAmpEditor(RecordingPlug* pPlug, HeadlessGraphics* pGraphics);

// The draws of control idx of an AmpEditor.
int DrawsOf(IGraphics* pGraphics, int idx);
