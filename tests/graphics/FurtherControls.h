#pragma once

// Rigs for the further controls' tests: an editor that also records the
// addresses it is asked to open and answers file dialogs, and film strips
// whose every frame is one known colour.

#include "HeadlessGraphics.h"

#include <memory>
#include <string>
#include <vector>

// An opaque pixel whose red channel tells the frame (frames count from 1).
inline RAS_pixel StripFramePixel(int frame)
{
  return 0xFFu | (RAS_pixel)(frame & 0xFF) << 8 | (RAS_pixel)40 << 16 | (RAS_pixel)200 << 24;
}

// A strip of n frames of w x fh pixels, owned by the test.
struct FrameStrip
{
  std::unique_ptr<RAS_MemBitmap> data;
  IBitmap bitmap;
  FrameStrip(int w, int fh, int n) : data(new RAS_MemBitmap(w, fh * n, 4)), bitmap(data.get(), w, fh * n, n)
  {
    for (int f = 0; f < n; ++f)
      for (int y = 0; y < fh; ++y)
        for (int x = 0; x < w; ++x) data->getBits()[(long)(f * fh + y) * data->getRowSpan() + x] = StripFramePixel(f + 1);
  }
};

class FurtherGraphics : public HeadlessGraphics
{
public:
  using HeadlessGraphics::HeadlessGraphics;

  bool OpenURL(const char* url, const char* windowTitle, const char* confirmMsg, const char* errMsg) override
  {
    (void)confirmMsg; (void)errMsg;
    mOpened.push_back(url);
    mTitles.push_back(windowTitle ? windowTitle : "");
    return mURLOpens;
  }
  void PromptForFile(KIT_String* pFileName, EFileAction action, KIT_String* pDir, char* extensions) override
  {
    mFileAsks.push_back(std::string(extensions) + "|" + pDir->Get() + "|" + std::to_string((int)action));
    pFileName->Set(mFileAnswer.c_str());
  }

  std::vector<std::string> mOpened, mTitles, mFileAsks;
  bool mURLOpens = false;
  std::string mFileAnswer;
};

// A plug-in with its editor attached, and a painting helper.
struct FurtherRig
{
  RecordingPlug plug;
  FurtherGraphics* g;
  IMouseMod left{true}, right{false, true}, none;
  explicit FurtherRig(int w = 200, int h = 200) : g(new FurtherGraphics(&plug, w, h)) { plug.AttachGraphics(g); }
  template <class T>
  T* Attach(T* c)
  {
    g->AttachControl(c);
    return c;
  }
  void PaintAll() { g->Draw(nullptr); }
  RAS_pixel Pixel(int x, int y) { return g->GetPoint(x, y).ToPixel(); }
};
