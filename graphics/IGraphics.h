#pragma once

#include "graphics/IBitmap.h"
#include "graphics/IChannelBlend.h"
#include "graphics/IColor.h"
#include "graphics/IRECT.h"
#include "graphics/IMouseMod.h"
#include "graphics/IText.h"
#include "plugin/containers/KIT_PtrList.h"
#include "plugin/containers/KIT_String.h"

class IControl;
class IFxBase;
class IParam;
class IPopupMenu;
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

  // UI thread, when the plug-in base deletes its editor; frees the key
  // catcher, every control and both bitmaps.
  virtual ~IGraphics();

  // UI or host thread, under the plug-in's mutex; no allocation: a parameter
  // changed outside the editor. value is normalised when normalized is set,
  // else the real value. Only stores values and marks controls dirty.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized);

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

  // ---- Controls, parameters, painting and events ----

  // Building the editor (UI thread; allocates). The manager owns what it is
  // given. Both backgrounds go in at index 0, under every other control.
  void AttachBackground(int ID, const char* name);
  void AttachPanelBackground(const IColor* pColor);
  // The new control's index, or -1 (the control deleted) when the list cannot grow.
  int AttachControl(IControl* pControl);
  // Replaces the key catcher, deleting the one it replaces.
  void AttachKeyCatcher(IControl* pControl);

  // UI thread; allocates: ends any text entry and capture, throws every
  // control away, makes new bitmaps and asks the plug-in to rebuild the editor.
  // Negative sizes are refused.
  virtual void Resize(int w, int h);

  // Value traffic (UI thread; the FromGUI path takes the plug-in's lock).
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  void SetAllControlsDirty();
  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);

  // Painting (UI thread; no lock). IsDirty grows *pR by every dirty control's
  // rectangle; Draw paints *pR into the draw bitmap and hands it to DrawScreen.
  bool IsDirty(IRECT* pR);
  bool Draw(IRECT* pR);
  void SetStrictDrawing(bool strict);

  // Mouse and keys, in editor coordinates (UI thread; value changes take the
  // plug-in's lock; prompts allocate).
  void OnMouseDown(int x, int y, IMouseMod* pMod);
  void OnMouseUp(int x, int y, IMouseMod* pMod);
  void OnMouseDrag(int x, int y, IMouseMod* pMod);
  bool OnMouseDblClick(int x, int y, IMouseMod* pMod);
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d);
  bool OnMouseOver(int x, int y, IMouseMod* pMod);
  void OnMouseOut();
  bool OnKeyDown(int x, int y, int key);
  // Ends the gesture the captured control had begun, if any.
  void ReleaseMouseCapture();
  int GetParamIdxForPTAutomation(int x, int y);
  int GetLastClickedParamForPTAutomation();

  // UI thread, at the platform's idle; may allocate.
  void OnGUIIdle();

  // Prompts (UI thread; allocate). The menu or text entry is the platform's.
  void PromptUserInput(IControl* pControl, IParam* pParam, IRECT* pR);
  void SetFromStringAfterPrompt(IControl* pControl, IParam* pParam, const char* txt);

  // Platform operations (UI thread; may allocate). The base answers as an
  // editor without a window would: nothing shown, nothing chosen.
  virtual bool DrawScreen(IRECT* pR)
  {
    (void)pR;
    return true;
  }
  virtual void ForceEndUserEdit() {}
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual const char* GetGUIAPI() { return ""; }
  virtual int ShowMessageBox(const char* text, const char* caption, int type)
  {
    (void)text; (void)caption; (void)type;
    return 0;
  }
  // Modal. The menu whose item was chosen (its chosen index set), or null.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pAreaRect)
  {
    (void)pMenu; (void)pAreaRect;
    return nullptr;
  }
  // Non-modal. On completion the platform calls SetFromStringAfterPrompt (with
  // a parameter) or the control's TextFromTextEntry (without).
  virtual void CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* str, IParam* pParam)
  {
    (void)pControl; (void)pText; (void)pTextRect; (void)str; (void)pParam;
  }
  virtual void HostPath(KIT_String* pPath) { if (pPath) pPath->Set(""); }
  virtual void PluginPath(KIT_String* pPath) { if (pPath) pPath->Set(""); }
  virtual void DesktopPath(KIT_String* pPath) { if (pPath) pPath->Set(""); }
  virtual void AppSupportPath(KIT_String* pPath) { if (pPath) pPath->Set(""); }
  virtual bool PromptForColor(IColor* pColor, char* prompt)
  {
    (void)pColor; (void)prompt;
    return false;
  }
  virtual bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMsg = nullptr,
                       const char* errMsg = nullptr)
  {
    (void)url; (void)windowTitle; (void)confirmMsg; (void)errMsg;
    return false;
  }
  virtual void* OpenWindow(void* pParentWnd)
  {
    (void)pParentWnd;
    return nullptr;
  }
  virtual void* OpenWindow(void* pWindow, void* pControl, short leftOffset, short topOffset)
  {
    (void)pWindow; (void)pControl; (void)leftOffset; (void)topOffset;
    return nullptr;
  }
  virtual void AttachSubWindow(void* hostWindowRef) { (void)hostWindowRef; }
  virtual void RemoveSubWindow() {}
  virtual void CloseWindow() {}
  virtual void* GetWindow() { return nullptr; }
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  virtual void UpdateTooltips() {}

  IControl* GetControl(int idx) const { return mControls.Get(idx); }
  int GetNControls() const { return mControls.GetSize(); }
  IControl* GetKeyCatcher() const { return mKeyCatcher; }
  int GetMouseCapture() const { return mMouseCapture; }
  int GetMouseOver() const { return mMouseOver; }
  int GetMouseX() const { return mMouseX; }
  int GetMouseY() const { return mMouseY; }
  bool GetStrictDrawing() const { return mStrict; }
  void HandleMouseOver(bool canHandle) { mHandleMouseOver = canHandle; }
  void EnableTooltips(bool enable) { mEnableTooltips = enable; }
  bool TooltipsEnabled() const { return mEnableTooltips; }

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

  // ---- Controls, parameters, painting and events ----
private:
  // The control that takes a mouse event at (x, y): the captured one, else the
  // topmost visible and enabled one that is hit; -1 for none.
  int GetMouseControlIdx(int x, int y, bool mouseOver = false);
  // Capture, last position and gesture go; the gesture's end is returned, not sent.
  int DropCapture();
  // Tells the host a gesture on the control's parameter begins, when it has
  // one and no gesture is open; returns that parameter, else -1.
  int BeginGesture(IControl* pControl);
  // Sends the end of a gesture begun by BeginGesture (nothing for -1).
  void EndGesture(int paramIdx);

  // No hidden-cursor position, idle tick counter or show-bounds flag: nothing
  // in the manager reads them, and a platform that hides the cursor keeps its
  // own record.
  KIT_PtrList<IControl> mControls;
  IControl* mKeyCatcher = nullptr;
  int mMouseCapture = -1;
  int mMouseOver = -1;
  int mMouseX = 0, mMouseY = 0;
  int mLastClickedParam = -1;
  // The parameter whose gesture the host was told of and not yet told the end.
  int mGestureParam = -1;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  bool mEnableTooltips = false;
};
