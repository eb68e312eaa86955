#include "HeadlessGraphics.h"

#include <cstdio>

RecordingPlug::RecordingPlug()
  : IFxBase(5, "1-1 2-2", 1, "Orvanta", "", "zerrantic", 0x10300, 0x6f727635, 0x5a726e74, 0, false, false, false,
            kAPIAU)
{
  const char* names[] = {"Level", "Drive", "Low", "High"};
  for (int i = 0; i < 4; ++i) GetParam(i)->InitDouble(names[i], 0.5, 0.0, 1.0, 0.001, "dB");
  GetParam(4)->InitEnum("Channel", 1, 2);
  GetParam(4)->SetDisplayText(0, "Clean");
  GetParam(4)->SetDisplayText(1, "Dirty");
}

void RecordingPlug::InformHostOfParamChange(int idx, double v)
{
  char text[64];
  snprintf(text, sizeof text, "change %d %g", idx, v);
  mEvents.push_back(text);
  mChangedValues.push_back(v);
}

void RecordingPlug::ResizeGraphics(int w, int h)
{
  mEvents.push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
  if (mOnResize) mOnResize(w, h);
}

IPopupMenu* HeadlessGraphics::CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pR)
{
  MenuShown shown;
  for (int i = 0; i < pMenu->GetNItems(); ++i)
  {
    shown.items.push_back(pMenu->GetItemText(i));
    shown.checked.push_back(pMenu->IsItemChecked(i));
  }
  shown.rect = *pR;
  mMenus.push_back(shown);
  const int answer = mMenuAnswers.empty() ? -1 : mMenuAnswers.front();
  if (!mMenuAnswers.empty()) mMenuAnswers.pop_front();
  if (answer == -1) return nullptr;
  pMenu->SetChosenItemIdx(answer);
  return pMenu;
}

void HeadlessGraphics::CreateTextEntry(IControl* pControl, IText* pText, IRECT* pR, const char* str, IParam* pParam)
{
  (void)pText;
  mEntries.push_back({pControl, pParam, *pR, str});
  mOpenEntry = true;
}

void HeadlessGraphics::FinishTextEntry(const char* txt)
{
  if (!mOpenEntry) return;
  mOpenEntry = false;
  const TextEntry& e = mEntries.back();
  if (e.param)
    SetFromStringAfterPrompt(e.control, e.param, txt);
  else
    e.control->TextFromTextEntry(txt);
}

static RAS_pixel Opaque(int r, int g, int b)
{
  return 0xFFu | (RAS_pixel)r << 8 | (RAS_pixel)g << 16 | (RAS_pixel)b << 24;
}

RAS_pixel KnobFramePixel(int frame) { return Opaque(frame * 3, 200, 10); }
RAS_pixel SwitchFramePixel(int frame) { return Opaque(10, frame * 100, 200); }
RAS_pixel AboutPixel() { return Opaque(250, 250, 5); }
RAS_pixel BackgroundPixel(int x, int y) { return Opaque(x % 256, y % 256, 77); }

RAS_MemBitmap* MakeStrip(int w, int h, int frames, const std::function<RAS_pixel(int, int, int)>& pixel)
{
  RAS_MemBitmap* bm = new RAS_MemBitmap(w, h * frames, 4);
  for (int f = 0; f < frames; ++f)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) bm->getBits()[(long)(f * h + y) * bm->getRowSpan() + x] = pixel(f + 1, x, y);
  return bm;
}

RAS_IBitmap* HeadlessGraphics::OSLoadBitmap(int ID, const char* name)
{
  (void)name;
  switch (ID)
  {
  case 102: return MakeStrip(kAmpW, kAmpH, 1, [](int, int x, int y) { return BackgroundPixel(x, y); });
  case 100: return MakeStrip(kSwitchW, kSwitchH, 2, [](int f, int, int) { return SwitchFramePixel(f); });
  case 101: return MakeStrip(kKnobSize, kKnobSize, 65, [](int f, int, int) { return KnobFramePixel(f); });
  case 103: return MakeStrip(kAboutW, kAboutH, 1, [](int, int, int) { return AboutPixel(); });
  default: return nullptr;
  }
}

void BuildAmpEditor(RecordingPlug* pPlug, HeadlessGraphics* pGraphics)
{
  IGraphics* g = pGraphics;
  g->AttachBackground(102, "resources/img/background.png");
  IBitmap sw = g->LoadIBitmap(100, "resources/img/orvanta_switch.png", 2);
  g->AttachControl(new Counted<ISwitchControl>(pPlug, 139, 35, 4, &sw));
  IBitmap knob = g->LoadIBitmap(101, "resources/img/orvanta_knob.png", 65);
  for (int i = 0; i < 4; ++i)
    g->AttachControl(new Counted<IKnobMultiControl>(pPlug, 177 + 40 * i, 29, i, &knob, kVertical, 4.0));
  IBitmap about = g->LoadIBitmap(103, "resources/img/orvanta_about.png");
  g->AttachControl(new Counted<IBitmapOverlayControl>(pPlug, 19, 97, &about, IRECT(24, 282, 54, 312)));
  pPlug->AttachGraphics(pGraphics);
}

int DrawsOf(IGraphics* pGraphics, int idx)
{
  IControl* c = pGraphics->GetControl(idx);
  if (auto* k = dynamic_cast<Counted<IKnobMultiControl>*>(c)) return k->mDraws;
  if (auto* s = dynamic_cast<Counted<ISwitchControl>*>(c)) return s->mDraws;
  if (auto* o = dynamic_cast<Counted<IBitmapOverlayControl>*>(c)) return o->mDraws;
  return -1;
}
