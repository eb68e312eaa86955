#pragma once

// Win32-style drawing contexts, pens, brushes, fonts, text and blits drawn
// through CoreGraphics and CoreText.
//
// Every function is called on the editor thread (the host's user-interface
// thread). Contexts and objects are not locked; only the process-wide pools
// of free contexts and objects and the font-name cache take their own
// recursive mutexes, and creation and deletion may allocate.
//
// A null or freed context, or an invalid or freed object, makes every
// operation do nothing and return its failure value (0, null or -1).

#include <stdint.h>

typedef struct CGContext* CGContextRef;
typedef struct CGImage* CGImageRef;

struct GDI_Context;
struct GDI_Object;
struct GDI_ImageList;

typedef GDI_Context* HDC;
typedef GDI_Object* HGDIOBJ;
// All drawing objects share one handle type, so the value SelectObject
// returns can always be passed back to it.
typedef HGDIOBJ HPEN;
typedef HGDIOBJ HBRUSH;
typedef HGDIOBJ HFONT;
typedef HGDIOBJ HBITMAP;
typedef HGDIOBJ HICON;
typedef GDI_ImageList* HIMAGELIST;
// A window or view: whatever the editor host hands out as its native view.
typedef void* HWND;

typedef int BOOL;
typedef int32_t LONG;

struct RECT
{
  LONG left, top, right, bottom; // right and bottom exclusive
};

struct POINT
{
  LONG x, y;
};

struct TEXTMETRIC
{
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmAveCharWidth;
};

struct LOGFONT
{
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  char lfItalic;
  char lfUnderline;
  char lfStrikeOut;
  char lfCharSet;
  char lfOutPrecision;
  char lfClipPrecision;
  char lfQuality;
  char lfPitchAndFamily;
  char lfFaceName[32];
};

struct ICONINFO
{
  BOOL fIcon;
  LONG xHotspot;
  LONG yHotspot;
  HBITMAP hbmMask;
  HBITMAP hbmColor;
};

// What GetObject writes for a bitmap object (8 bytes).
struct BITMAP
{
  LONG bmWidth;
  LONG bmHeight;
};

// Colours are 0xRRGGBB.
#define RGB(r, g, b) ((((int)(r) & 0xFF) << 16) | (((int)(g) & 0xFF) << 8) | ((int)(b) & 0xFF))
#define GetRValue(c) (((c) >> 16) & 0xFF)
#define GetGValue(c) (((c) >> 8) & 0xFF)
#define GetBValue(c) ((c) & 0xFF)

// Object types; the small values 1 to 4 passed as an HGDIOBJ stand for
// "no object of this type" (see SelectObject).
#define GDI_OBJ_PEN 1
#define GDI_OBJ_BRUSH 2
#define GDI_OBJ_FONT 3
#define GDI_OBJ_BITMAP 4

// GetStockObject indices.
#define NULL_PEN 1
#define NULL_BRUSH 2

// Background modes.
#define TRANSPARENT 0
#define OPAQUE 1

// Pen styles (the style is not used; every pen is solid).
#define PS_SOLID 0

// Font weights and qualities.
#define FW_NORMAL 400
#define FW_BOLD 700
#define DEFAULT_QUALITY 0
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4

// GDI_DrawText flags.
#define DT_CALCRECT 0x1
#define DT_VCENTER 0x2
#define DT_CENTER 0x4
#define DT_BOTTOM 0x10
#define DT_RIGHT 0x20
#define DT_SINGLELINE 0x40
#define DT_NOPREFIX 0x80
#define DT_NOCLIP 0x100
#define DT_LEFT 0x0
#define DT_TOP 0x0

// StretchBlt/BitBlt modes: SRCCOPY_USEALPHA makes the source's alpha byte
// meaningful (alpha first, not premultiplied); any other mode ignores it.
#define SRCCOPY 0xCC0020
#define SRCCOPY_USEALPHA ((int)0xDEADBEEF)

// GetSysColor indices.
#define COLOR_3DSHADOW 0
#define COLOR_3DHILIGHT 1
#define COLOR_3DFACE 2
#define COLOR_BTNTEXT 3
#define COLOR_WINDOW 4
#define COLOR_SCROLLBAR 5
#define COLOR_3DDKSHADOW 6
#define COLOR_BTNFACE 7
#define COLOR_INFOBK 8

// ---- contexts ----

// A memory context of w x h pixels over a zeroed, 64-byte aligned frame buffer
// (4 * w bytes per row, row 0 at the top; each pixel is a filler byte, then
// red, green, blue in memory order). The reference context is not used.
HDC GDI_CreateMemContext(HDC reference, int w, int h);
void* GDI_GetCtxFrameBuffer(HDC ctx);
CGContextRef GDI_GetCtxGC(HDC ctx);
// A context drawing into the given graphics context (a CGContextRef in this
// build: the graphics port of the editor host's current drawing).
HDC GDI_CreateGfxContext(void* graphicsContext);
void GDI_DeleteGfxContext(HDC ctx);

HDC GetDC(HWND window);
HDC GetWindowDC(HWND window);
int ReleaseDC(HWND window, HDC ctx);

// ---- objects ----

HPEN CreatePen(int style, int width, int colour);
HPEN CreatePenAlpha(int style, int width, int colour, float alpha);
HBRUSH CreateSolidBrush(int colour);
HBRUSH CreateSolidBrushAlpha(int colour, float alpha);
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, char italic,
                 char underline, char strikeOut, char charSet, char outPrecision, char clipPrecision,
                 char quality, char pitchAndFamily, const char* faceName);
HFONT CreateFontIndirect(const LOGFONT* lf);
HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj);
void DeleteObject(HGDIOBJ obj);
HGDIOBJ GDI_CloneGDIObject(HGDIOBJ obj);
HGDIOBJ GetStockObject(int index);

// ---- text ----

void SetTextColor(HDC ctx, int colour);
int GetTextColor(HDC ctx);
void SetBkColor(HDC ctx, int colour);
void SetBkMode(HDC ctx, int mode);
BOOL GetTextMetrics(HDC ctx, TEXTMETRIC* tm);
// Returns the height of the text block, 0 when nothing is drawn. A negative
// length means the text is NUL-terminated.
int GDI_DrawText(HDC ctx, const char* text, int length, RECT* rect, int flags);

// ---- other drawing ----

void GDI_FillRect(HDC ctx, const RECT* r, HBRUSH brush);
void Rectangle(HDC ctx, int l, int t, int r, int b);
void Ellipse(HDC ctx, int l, int t, int r, int b);
void RoundRect(HDC ctx, int l, int t, int r, int b, int ew, int eh);
void GDI_Polygon(HDC ctx, const POINT* pts, int n);
void MoveToEx(HDC ctx, int x, int y, POINT* old);
void GDI_LineTo(HDC ctx, int x, int y);
void PolyBezierTo(HDC ctx, const POINT* pts, int n);
void PolyPolyline(HDC ctx, const POINT* pts, const int* counts, int n);
void GDI_SetPixel(HDC ctx, int x, int y, int colour);
void BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int mode);
void StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, int mode);

void GDI_PushClipRegion(HDC ctx);
void GDI_SetClipRegion(HDC ctx, const RECT* r);
void GDI_PopClipRegion(HDC ctx);

void GDI_FillDialogBackground(HDC ctx, const RECT* r, int flags);
int GetSysColor(int index);

// ---- bitmaps, icons, image lists ----

// A bitmap object holding a copy of h rows of 4 * w bytes (filler, red,
// green, blue per pixel; with 32 bits per pixel the filler is taken as alpha).
HBITMAP CreateBitmap(int w, int h, int planes, int bitsPerPixel, const void* bits);
HICON CreateIconIndirect(const ICONINFO* info);
HICON LoadNamedImage(const char* name, bool magentaToAlpha);
void DrawImageInRect(HDC ctx, HGDIOBJ bitmap, const RECT* r);
int GetObject(HGDIOBJ bitmap, int size, void* out);
CGImageRef GetNSImageFromHICON(HGDIOBJ icon);

HIMAGELIST ImageList_CreateEx();
int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
BOOL ImageList_Remove(HIMAGELIST list, int index);
void ImageList_Destroy(HIMAGELIST list);
