#include "graphics/IRadioButtonsControl.h"

#include "graphics/IGraphics.h"

#include <algorithm>
#include <cmath>

IRadioButtonsControl::IRadioButtonsControl(IFxBase* pPlug, IRECT pR, int paramIdx, int nButtons, IBitmap* pBitmap,
                                           EDirection direction, bool reverse)
  : IControl(pPlug, pR, paramIdx)
{
  if (pBitmap) mBitmap = *pBitmap;
  if (nButtons < 1 || !mRECTs.TryResize(nButtons)) return;
  const int w = mBitmap.W;
  const int fh = mBitmap.FrameHeight();
  // One button has no neighbour to keep a gap to.
  const double slack = direction == kVertical ? (double)pR.H() - (double)nButtons * fh
                                              : (double)pR.W() - (double)nButtons * w;
  const int gap = nButtons > 1 ? (int)(slack / (nButtons - 1)) : 0;
  for (int k = 0; k < nButtons; ++k)
  {
    IRECT r;
    if (direction == kVertical)
    {
      const int step = k * (fh + gap);
      const int top = reverse ? pR.B - fh - step : pR.T + step;
      r = IRECT(pR.L, top, pR.L + w, top + fh);
    }
    else
    {
      const int step = k * (w + gap);
      const int left = reverse ? pR.R - w - step : pR.L + step;
      r = IRECT(left, pR.T, left + w, pR.T + fh);
    }
    mRECTs.Get()[k] = r;
  }
}

int IRadioButtonsControl::ButtonFromValue(double value, int nButtons)
{
  if (nButtons < 2 || !(value > 0.0)) return 0;
  const int i = (int)std::min(value * (nButtons - 1) + 0.5, (double)nButtons);
  return i > nButtons - 1 ? nButtons - 1 : i;
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  if (pMod && pMod->R)
  {
    PromptUserInput();
    return;
  }
  const int n = NButtons();
  for (int k = 0; k < n; ++k)
  {
    if (mRECTs.Get()[k].Contains(x, y))
    {
      mValue = n > 1 ? (double)k / (double)(n - 1) : 0.0;
      break;
    }
  }
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* pGraphics)
{
  const int n = NButtons();
  const int lit = ButtonFromValue(mValue, n);
  bool ok = true;
  for (int k = 0; k < n; ++k) ok = pGraphics->DrawBitmap(&mBitmap, mRECTs.Get() + k, k == lit ? 2 : 1, &mBlend) && ok;
  return ok;
}
