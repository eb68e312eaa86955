#include "graphics/IGraphics.h"

#include "graphics/FontStorage.h"
#include "plugin/IParam.h"
#include "raster/raster.h"

namespace
{
// The font flags every editor font gets: the object owns its GDI font, and
// plain opaque text may be drawn by the GDI layer itself.
const int kEditorFontFlags = RAS_FONT_OWNS_HANDLE | RAS_FONT_ALLOW_NATIVE;

// CreateFont's "default" character set, precisions and pitch.
const char kDefaultCharSet = 0, kDefaultPrecision = 0, kDefaultPitch = 0;

char PlatformQuality(IText::EQuality quality)
{
  switch (quality)
  {
  case IText::kQualityNonAntiAliased: return NONANTIALIASED_QUALITY;
  case IText::kQualityAntiAliased:
  case IText::kQualityClearType: return ANTIALIASED_QUALITY;
  default: return DEFAULT_QUALITY;
  }
}

HFONT MakeSystemFont(const IText* pTxt, int height)
{
  const int tenths = SaturatingInt((double)pTxt->mOrientation * 10.0);
  return CreateFont(height, 0, tenths, tenths, pTxt->mStyle == IText::kStyleBold ? FW_BOLD : FW_NORMAL,
                    pTxt->mStyle == IText::kStyleItalic, 0, 0, kDefaultCharSet, kDefaultPrecision,
                    kDefaultPrecision, PlatformQuality(pTxt->mQuality), kDefaultPitch, pTxt->mFont);
}
} // namespace

int IGraphics::SecondPassFontHeight(int height, int lineHeight)
{
  // A font without metrics cannot be corrected: keep the first size.
  if (lineHeight <= 0 || lineHeight == height) return 0;
  int next = SaturatingInt((double)height * (double)height / (double)lineHeight + 0.5);
  if (next < 2) next = 2;
  return next == height ? 0 : next;
}

RAS_CachedFont* IGraphics::CacheFont(IText* pTxt)
{
  if (!pTxt || !pTxt->FontNameFits()) return nullptr;
  FontStorage& storage = FontStorage::Instance();
  // Held across the lookup and the creation so that two editors asking for
  // one style at once share a single font.
  KIT_MutexLock lock(storage.Mutex());
  RAS_CachedFont* pFont = dynamic_cast<RAS_CachedFont*>(storage.Find(pTxt));
  if (!pFont)
  {
    pFont = new RAS_CachedFont();
    int h = pTxt->mSize;
    for (int pass = 0; pass < 2; ++pass)
    {
      const int asked = h < 2 ? 2 : h; // also the second pass's size, already at least 2
      HFONT hFont = MakeSystemFont(pTxt, asked);
      if (!hFont)
      {
        delete pFont;
        return nullptr;
      }
      pFont->SetFromHFont(hFont, kEditorFontFlags);
      h = SecondPassFontHeight(asked, pFont->GetLineHeight());
      if (!h) break;
    }
    if (!storage.Add(pFont, pTxt))
    {
      delete pFont;
      return nullptr;
    }
  }
  pTxt->mCached = pFont;
  return pFont;
}

bool IGraphics::MeasureIText(IText* pTxt, char* str, IRECT* pR)
{
  return DrawIText(pTxt, str, pR, true);
}

bool IGraphics::DrawIText(IText* pTxt, char* str, IRECT* pR, bool measure)
{
  if (!str || !*str) return true;
  if (!pTxt || !pR) return false;
  RAS_CachedFont* pFont = pTxt->mCached ? pTxt->mCached : CacheFont(pTxt);
  if (!pFont) return false;

  pFont->SetTextColor(pTxt->mColor.ToPixel());
  unsigned int flags = DT_NOCLIP;
  if ((pTxt->mColor.A & 0xFF) != 255) flags |= RAS_DT_USE_TEXT_ALPHA;
  if (pTxt->mAlign == IText::kAlignCenter) flags |= DT_CENTER;
  if (pTxt->mAlign == IText::kAlignFar) flags |= DT_RIGHT;

  if (!measure)
  {
    RECT r = {pR->L, pR->T, pR->R, pR->B};
    pFont->DrawText(mDrawBitmap, str, -1, &r, flags);
    return true;
  }

  RECT r = {0, 0, 0, 0};
  pFont->DrawText(mDrawBitmap, str, -1, &r, flags | DT_CALCRECT);
  const int w = r.right - r.left, h = r.bottom - r.top;
  switch (pTxt->mAlign)
  {
  case IText::kAlignCenter:
    pR->L = (int)pR->MidX() - w / 2;
    pR->R = pR->L + w;
    break;
  case IText::kAlignFar: pR->L = pR->R - w; break;
  default: pR->R = pR->L + w; break;
  }
  pR->B = pR->T + h;
  return true;
}
