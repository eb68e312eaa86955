#include "examples/ControlsExample.h"

#include "raster/raster.h"
#include "tools/SkinPNG.h"

#include <memory>
#include <vector>

namespace
{
// Image IDs: the effect's switch picture from the resources, the rest drawn
// here.
enum
{
  kSwitchImage = 200,
  kHandleImage = 201,
  kFolderImage = 202,
  kCharsImage = 203
};

constexpr int kCharW = 8, kCharH = 12, kNumChars = 96;

const IColor kPanel(255, 34, 36, 42);
const IColor kPlot(255, 18, 20, 24);
const IColor kInk(255, 226, 226, 214);
const IColor kAccent(255, 255, 176, 32);
const IColor kCurve(255, 120, 220, 255);

// The pixels as a screen shows them. Text drawing leaves the alpha of the
// pixels it touched at 0, which a screen ignores but a picture would not.
RAS_MemBitmap* OpaqueCopy(RAS_IBitmap* src)
{
  const int w = src->getWidth(), h = src->getHeight();
  RAS_MemBitmap* bm = new RAS_MemBitmap(w, h, 4);
  RAS_Blit(bm, src, 0, 0, 0, 0, w, h, 1.0f, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bm->getBits()[(long)y * bm->getRowSpan() + x] |= 0xFFu;
  return bm;
}

RAS_MemBitmap* FilledBitmap(int w, int h, RAS_pixel fill, RAS_pixel edge)
{
  RAS_MemBitmap* bm = new RAS_MemBitmap(w, h, 4);
  RAS_FillRect(bm, 0, 0, w, h, edge, 1.0f, 0);
  RAS_FillRect(bm, 1, 1, w - 2, h - 2, fill, 1.0f, 0);
  return bm;
}

// A control that writes the printable characters into one frame each, so
// that the editor's own text drawing makes the bitmap font.
class CharStripPainter : public IControl
{
public:
  CharStripPainter() : IControl(nullptr, IRECT(0, 0, kCharW, kCharH * kNumChars)) {}
  bool Draw(IGraphics* pGraphics) override
  {
    IText style(kCharH - 1, &kAccent, nullptr, IText::kStyleBold, IText::kAlignCenter);
    for (int i = 1; i < kNumChars; ++i)
    {
      char s[2] = {(char)(31 + i), 0};
      IRECT r(0, (i - 1) * kCharH, kCharW, i * kCharH);
      pGraphics->DrawIText(&style, s, &r);
    }
    return true;
  }
};

RAS_MemBitmap* CharStrip()
{
  IGraphics painter(nullptr, kCharW, kCharH * kNumChars);
  painter.PrepDraw();
  // On the panel's colour: text drawn onto transparent pixels stays transparent.
  painter.AttachPanelBackground(&kPanel);
  painter.AttachControl(new CharStripPainter);
  painter.Draw(nullptr);
  RAS_IBitmap* drawn = painter.GetDrawBitmap();
  return OpaqueCopy(drawn);
}

IText Style(int size, const IColor& color, IText::EAlign align = IText::kAlignNear)
{
  return IText(size, &color, nullptr, IText::kStyleNormal, align);
}
} // namespace

RAS_IBitmap* HeadlessExampleGraphics::OSLoadBitmap(int ID, const char* name)
{
  switch (ID)
  {
  case kHandleImage: return FilledBitmap(24, 12, kAccent.ToPixel(), kInk.ToPixel());
  case kFolderImage: return FilledBitmap(40, 24, kAccent.ToPixel(), kPanel.ToPixel());
  case kCharsImage: return CharStrip();
  default: break;
  }
  const std::string path = mResourceDir + "/" + (name ? name : "");
  return RAS_LoadPNG(path.c_str());
}

ControlsExample::ControlsExample(Orvanta* pPlug, const std::string& resourceDir)
  : mPlug(pPlug), mGraphics(new HeadlessExampleGraphics(pPlug, kWidth, kHeight, resourceDir))
{
  IGraphics* g = mGraphics;
  g->AttachPanelBackground(&kPanel);
  IText title = Style(14, kInk), label = Style(10, kInk), value = Style(11, kAccent);

  g->AttachControl(new ITextControl(pPlug, IRECT(12, 6, 300, 24), &title, "Orvanta: further controls"));
  IBitmap chars = g->LoadIBitmap(kCharsImage, "chars", kNumChars);
  g->AttachControl(new IBitmapTextControl(pPlug, IRECT(300, 6, 470, 24), &chars, "V1.3.0", &title, kCharW, kCharH,
                                          1));

  // Row 1: texts.
  g->AttachControl(new ITextControl(pPlug, IRECT(12, 34, 90, 48), &label, "Drive"));
  g->AttachControl(new ICaptionControl(pPlug, IRECT(12, 48, 90, 64), Orvanta::kDrive, &value, true));
  g->AttachControl(new ITextControl(pPlug, IRECT(100, 34, 180, 48), &label, "Level"));
  g->AttachControl(new ISpinnerControl(pPlug, IRECT(100, 48, 180, 64), Orvanta::kLevel, &value));
  g->AttachControl(new ITextControl(pPlug, IRECT(190, 34, 300, 48), &label, "Preset name"));
  auto* name = new IEditableTextControl(pPlug, IRECT(190, 48, 300, 64), &value, "Dirty");
  name->SetBGColor(&kPlot);
  g->AttachControl(name);
  g->AttachControl(new ITextControl(pPlug, IRECT(310, 34, 470, 48), &label, "Password"));
  auto* secret = new IEditableTextControl(pPlug, IRECT(310, 48, 470, 64), &value, "orvanta", false, true);
  secret->SetBGColor(&kPlot);
  g->AttachControl(secret);
  g->AttachControl(new IUserTextControl(pPlug, IRECT(12, 70, 470, 86), &label, "Notes: click to type"));

  // Row 2: buttons and selectors on the Channel and Drive parameters.
  IBitmap sw = g->LoadIBitmap(kSwitchImage, "orvanta_switch.png", 2);
  g->AttachControl(new ITextControl(pPlug, IRECT(12, 96, 60, 110), &label, "On/off"));
  mChannelToggle = new IOnOffControl(pPlug, 12, 112, Orvanta::kChannel, &sw);
  g->AttachControl(mChannelToggle);
  g->AttachControl(new ITextControl(pPlug, IRECT(64, 96, 112, 110), &label, "Contact"));
  g->AttachControl(new IContactControl(pPlug, 64, 112, -1, &sw));
  g->AttachControl(new ITextControl(pPlug, IRECT(116, 96, 164, 110), &label, "Button"));
  g->AttachControl(new IButtonSwitchControl(pPlug, 116, 112, -1, &sw));
  g->AttachControl(new ITextControl(pPlug, IRECT(176, 96, 290, 110), &label, "Clean / Dirty"));
  g->AttachControl(new IRadioButtonsControl(pPlug, IRECT(176, 112, 290, 112 + sw.FrameHeight()),
                                            Orvanta::kChannel, 2, &sw, kHorizontal));
  g->AttachControl(new ITextControl(pPlug, IRECT(300, 96, 470, 110), &label, "Drive: click high or low"));
  g->AttachControl(new IPanelControl(pPlug, IRECT(300, 112, 470, 142), &kPlot));
  g->AttachControl(new IInvisibleSelectControl(pPlug, IRECT(300, 112, 470, 142), Orvanta::kDrive));

  // Row 3: the tone section's controls, a link and a file button beside the
  // graph.
  IBitmap handle = g->LoadIBitmap(kHandleImage, "handle", 1);
  g->AttachControl(new ITextControl(pPlug, IRECT(12, 180, 60, 194), &label, "Low"));
  g->AttachControl(new IPanelControl(pPlug, IRECT(23, 196, 25, 336), &kPlot));
  mLowFader = new IFaderControl(pPlug, 12, 196, 140, Orvanta::kLow, &handle, kVertical);
  g->AttachControl(mLowFader);
  g->AttachControl(new ITextControl(pPlug, IRECT(70, 180, 150, 194), &label, "High"));
  g->AttachControl(new ICaptionControl(pPlug, IRECT(70, 256, 150, 270), Orvanta::kHigh, &value, false));
  mHighKnob = new IKnobLineControl(pPlug, IRECT(80, 196, 136, 252), Orvanta::kHigh, &kAccent, 8.0, 26.0);
  g->AttachControl(mHighKnob);
  g->AttachControl(new ITextControl(pPlug, IRECT(70, 284, 160, 298), &label, "Open a file"));
  IBitmap folder = g->LoadIBitmap(kFolderImage, "folder", 1);
  g->AttachControl(new IPanelControl(pPlug, IRECT(70, 300, 110, 324), &kAccent));
  g->AttachControl(new IFileSelectorControl(pPlug, IRECT(70, 300, 110, 324), -1, &folder, kFileOpen, "", "wav aif"));
  g->AttachControl(new IURLControl(pPlug, IRECT(12, 340, 160, 356), "https://orvanta.invalid/manual"));
  g->AttachControl(new ITextControl(pPlug, IRECT(12, 340, 160, 356), &label, "Manual (link)"));

  g->AttachControl(new ITextControl(pPlug, IRECT(kGraphL, 180, kGraphL + kGraphW, 194), &label,
                                    "Tone section: 20 Hz to 20 kHz, +12 to -12 dB"));
  IRECT plot(kGraphL, kGraphT, kGraphL + kGraphW, kGraphT + kGraphH);
  g->AttachControl(new IPanelControl(pPlug, plot, &kPlot));
  mGraph = new IFreqResponseGraph(pPlug, kCurve, plot, kFFTSize, kWindowRectangular);
  mGraph->SetScale(kLowestHz, kHighestHz, kDBRange, kDBOffset);
  mGraph->SetSRate(pPlug->GetSampleRate());
  // A still picture shows the response itself, not the eased curve.
  mGraph->SetDisplayMode(1);
  g->AttachControl(mGraph);

  pPlug->AttachGraphics(mGraphics);
}

void ControlsExample::ToneImpulse(double* out) const
{
  // A copy of the effect's filter bank keeps the running chain untouched.
  std::vector<AuDSP> bank(1, mPlug->Chain().Bank());
  AuDSP& dsp = bank[0];
  dsp.dspStateReset();
  for (int i = 0; i < kFFTSize; ++i)
  {
    double low = 0.0;
    dsp.biquadFilterProcess(8, i == 0 ? 1.0 : 0.0, low);
    dsp.biquadFilterProcess(10, low, out[i]);
  }
}

void ControlsExample::Frame()
{
  std::vector<double> ir(kFFTSize);
  ToneImpulse(ir.data());
  mGraph->SetSRate(mPlug->GetSampleRate());
  mGraph->SetDataFromPlug(ir.data());
  IRECT r;
  if (mGraphics->IsDirty(&r)) mGraphics->Draw(&r);
}

void ControlsExample::TurnLowAndHigh()
{
  IGraphics* g = mGraphics;
  IMouseMod left(true);
  Frame();
  // Low: grab the fader's handle and pull it three quarters of the way up.
  const IRECT h = mLowFader->GetHandleRECT();
  int x = (h.L + h.R) / 2, y = (h.T + h.B) / 2;
  g->OnMouseDown(x, y, &left);
  const int travel = mLowFader->GetLength() - mLowFader->GetHandleSize();
  for (int i = 1; i <= 10; ++i)
  {
    g->OnMouseDrag(x, y - i * travel / 40, &left);
    Frame();
  }
  g->OnMouseUp(x, y - travel / 4, &left);
  // High: drag the knob down, turning it towards its minimum.
  const IRECT* k = mHighKnob->GetRECT();
  x = (k->L + k->R) / 2;
  y = (k->T + k->B) / 2;
  g->OnMouseDown(x, y, &left);
  for (int i = 1; i <= 10; ++i)
  {
    g->OnMouseDrag(x, y + i * 3, &left);
    Frame();
  }
  g->OnMouseUp(x, y + 30, &left);
  // A click on the toggle switches the channel; the radio buttons follow.
  const IRECT* t = mChannelToggle->GetRECT();
  g->OnMouseDown(t->L + 2, t->T + 2, &left);
  g->OnMouseUp(t->L + 2, t->T + 2, &left);
  Frame();
  g->Draw(nullptr);
}

bool ControlsExample::SavePNG(const std::string& path, std::string* error) const
{
  std::unique_ptr<RAS_MemBitmap> shown(OpaqueCopy(mGraphics->GetDrawBitmap()));
  return SkinWritePNG(path, shown.get(), error);
}
