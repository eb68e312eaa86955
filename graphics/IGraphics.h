#pragma once

#include "graphics/IBitmap.h"
#include "graphics/IChannelBlend.h"
#include "graphics/IColor.h"
#include "graphics/IRECT.h"
#include "graphics/IText.h"
#include "plugin/containers/KIT_String.h"

class IFxBase;
class RAS_IBitmap;
class RAS_MemBitmap;
class RAS_SysBitmap;

// What a file dialog is for.
enum EFileAction
{
  kFileOpen = 0,
  kFileSave = 1
};

// The editor: controls draw through these calls into one off-screen draw
// bitmap, which the platform copies to its window. The plug-in core calls the
// editor only through virtual operations and inline accessors, so the core
// library and the component link without the editor's code; a program that
// makes an editor (a platform subclass or a test stand-in) links libgraphics.
// Everything here runs on the host's UI thread unless said otherwise; images
// and fonts live in the process-wide caches (BitmapStorage, FontStorage).
class IGraphics
{
public:
  IGraphics(IFxBase* pPlug, int w, int h, int refreshFPS = 0)
    : mPlug(pPlug), mWidth(w), mHeight(h), mFPS(refreshFPS > 0 ? refreshFPS : 25)
  {
  }

  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // UI thread, when the plug-in base deletes its editor; frees both bitmaps.
  virtual ~IGraphics();

  // UI thread, under the plug-in's mutex: a parameter changed outside the
  // editor. value is normalised when normalized is set, else the real value.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized)
  {
    (void)paramIdx; (void)value; (void)normalized;
  }

  // UI thread; allocates: makes the draw bitmap (width x height) and an empty
  // temporary bitmap, replacing any earlier ones. Called when the editor is
  // attached and on resize.
  virtual void PrepDraw();

  // UI thread; modal; may allocate. Asks the user for a file: *pFileName holds
  // the default name on entry and the chosen path on return ("" when the user
  // cancelled); *pDir is the folder to start in and becomes the chosen file's
  // folder. extensions lists the allowed extensions separated by blanks. The
  // base has no dialog and always answers "".
  virtual void PromptForFile(KIT_String* pFileName, EFileAction action, KIT_String* pDir,
                             char* extensions)
  {
    (void)action; (void)pDir; (void)extensions;
    if (pFileName) pFileName->Set("");
  }

  // UI thread; may allocate (the font on first use): DrawIText measuring only.
  virtual bool MeasureIText(IText* pTxt, char* str, IRECT* pR);

  // UI thread; allocates: decodes the named image resource. The platform
  // supplies it; the base has no resources and returns null.
  virtual RAS_IBitmap* OSLoadBitmap(int ID, const char* name)
  {
    (void)ID; (void)name;
    return nullptr;
  }

  // Images. The same ID always yields the same raster bitmap for the life of
  // the process. An image the platform cannot load is not cached: the result
  // has no data (and 0 x 0 size), draws nothing, and a later call tries again.
  IBitmap LoadIBitmap(int ID, const char* name, int nStates = 1, bool framesAreHorizontal = false);
  void RetainBitmap(IBitmap* pBitmap);
  void ReleaseBitmap(IBitmap* pBitmap);
  IBitmap ScaleBitmap(IBitmap* pSrcBitmap, int destW, int destH);
  IBitmap CropBitmap(IBitmap* pSrcBitmap, IRECT* pR);
  RAS_pixel* GetBits();

  // Bitmap drawing, clipped to the draw rectangle (rotation excepted). The
  // source-position form takes no default blend, so that a call such as
  // DrawBitmap(b, r, 2, 0) means state 2, not source x 2.
  bool DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int srcX, int srcY, const IChannelBlend* pBlend);
  // bmpState counts from 1; states <= 1 draw the first frame.
  bool DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int bmpState = 1, const IChannelBlend* pBlend = nullptr);
  // angle in radians; not clipped to the draw rectangle.
  bool DrawRotatedBitmap(IBitmap* pBitmap, int destCtrX, int destCtrY, double angle, int yOffsetZeroDeg = 0,
                         const IChannelBlend* pBlend = nullptr);
  // angle in degrees.
  bool DrawRotatedMask(IBitmap* pBase, IBitmap* pMask, IBitmap* pTop, int x, int y, double angle,
                       const IChannelBlend* pBlend = nullptr);

  // Pixels and rectangles (not clipped to the draw rectangle).
  bool DrawPoint(const IColor* pColor, float x, float y, const IChannelBlend* pBlend = nullptr, bool antiAlias = false);
  bool ForcePixel(const IColor* pColor, int x, int y);
  bool FillIRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend = nullptr);
  IColor GetPoint(int x, int y);

  // Vector drawing: lines, arcs, circles, rounded rectangles, triangles,
  // polygons and rectangle outlines, not clipped to the draw rectangle (the
  // raster library clips to the bitmap). UI thread; no locks; only a polygon
  // of more than 512 points and a blended FillRoundRect allocate (scratch
  // space). All return true; a missing colour, rectangle or point list, and
  // coordinates that are not finite or lie beyond the int range, draw
  // nothing. Angles are radians clockwise from straight up; float coordinates
  // handed to integer lines are truncated toward zero.
  bool DrawLine(const IColor* pColor, float x1, float y1, float x2, float y2, const IChannelBlend* pBlend = nullptr,
                bool antiAlias = false);
  bool DrawArc(const IColor* pColor, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* pBlend = nullptr, bool antiAlias = false);
  bool DrawCircle(const IColor* pColor, float cx, float cy, float r, const IChannelBlend* pBlend = nullptr,
                  bool antiAlias = false);
  bool RoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerradius, bool aa);
  // The radius is limited to half the shorter side; each pixel is drawn once.
  bool FillRoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerradius, bool aa);
  bool FillCircle(const IColor* pColor, int cx, int cy, float r, const IChannelBlend* pBlend = nullptr,
                  bool antiAlias = false);
  bool FillTriangle(const IColor* pColor, int x1, int y1, int x2, int y2, int x3, int y3,
                    const IChannelBlend* pBlend);
  bool FillIConvexPolygon(const IColor* pColor, int* x, int* y, int npoints, const IChannelBlend* pBlend);
  // The right and bottom lines lie on the exclusive edges, one pixel outside
  // the area the rectangle covers.
  bool DrawRect(const IColor* pColor, IRECT* pR);
  bool DrawVerticalLine(const IColor* pColor, int x, int yLo, int yHi);
  bool DrawHorizontalLine(const IColor* pColor, int y, int xLo, int xHi);
  // At x (0 = left edge, 1 = right edge) of the rectangle, clamped to [0, 1].
  bool DrawVerticalLine(const IColor* pColor, IRECT* pR, float x);
  // At y (0 = bottom edge, 1 = top edge) of the rectangle, clamped to [0, 1].
  bool DrawHorizontalLine(const IColor* pColor, IRECT* pR, float y);
  // From radius rMin to rMax along angle; angle 0 points up.
  bool DrawRadialLine(const IColor* pColor, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* pBlend = nullptr, bool antiAlias = false);

  // Text, in the style's colour, alignment and font. Drawing is not clipped
  // to pR; measuring sets pR to the text's box, placed in pR as the style's
  // alignment says. An empty string does nothing and succeeds; false when no
  // font can be had.
  bool DrawIText(IText* pTxt, char* str, IRECT* pR, bool measure = false);
  // UI thread; locks the font cache; allocates on first use. The style's font
  // from the font cache, made and remembered in the style on first use; null
  // when the platform gives no font.
  RAS_CachedFont* CacheFont(IText* pTxt);
  // A style's size is the line height it wants. The size asked for again
  // when a font of size height came out with lineHeight, or 0 when it stands
  // (it fits, or the font has no line height to correct by).
  static int SecondPassFontHeight(int height, int lineHeight);

  IFxBase* GetPlug() const { return mPlug; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  RAS_SysBitmap* GetDrawBitmap() const { return mDrawBitmap; }
  const IRECT* GetDrawRECT() const { return &mDrawRECT; }

protected:
  IFxBase* mPlug;
  // The region being repainted; bitmap drawing clips to it.
  IRECT mDrawRECT;
  RAS_SysBitmap* mDrawBitmap = nullptr;
  // Scratch for masked rotation; made on first use.
  RAS_MemBitmap* mTmpBitmap = nullptr;
  int mWidth;
  int mHeight;
  int mFPS;
};
