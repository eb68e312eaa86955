#pragma once

// The layout of contexts and objects and the helpers the GDI files share.

#include "gdi/gdi.h"

#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CoreText.h>

#include <vector>

struct GDI_Context
{
  CGContextRef ctx;        // what everything is drawn into
  void* fbMemory;          // memory context: the allocation holding the pixels
  HGDIOBJ curPen, curBrush, curFont;
  CGFloat curX, curY;      // current position
  int bkMode;              // TRANSPARENT or OPAQUE
  int bkColor;             // 0xRRGGBB
  int textColor;           // 0xRRGGBB
  CGColorRef textColorRef; // made from textColor
  bool freed;              // sitting in the free pool
  GDI_Context* next;       // free-pool link
  // Kept beside the published fields:
  void* fb;                // the 64-byte aligned frame buffer inside fbMemory
  int fbWidth, fbHeight;   // frame buffer size in pixels
  int savedStates;         // graphics states GetDC saved for ReleaseDC
  bool fromGetDC;          // made by GetDC/GetWindowDC: ReleaseDC deletes it
};

struct GDI_Object
{
  int type;          // GDI_OBJ_PEN .. GDI_OBJ_BITMAP
  int extraRefs;     // GDI_CloneGDIObject adds one, DeleteObject removes one first
  CGColorRef color;  // pen and brush colour
  int width;         // pen width (<0: null pen), brush 0 (<0: null brush), bitmap 1 when it owns its image
  CGImageRef image;  // bitmap image
  float rotation;    // font angle, degrees
  CTFontRef font;    // font
  int quality;       // font: DEFAULT_QUALITY, NONANTIALIASED_QUALITY or ANTIALIASED_QUALITY
  bool freed;
  GDI_Object* next;
};

struct GDI_ImageList
{
  std::vector<HGDIOBJ> items; // null entries are holes left by ImageList_Remove
};

namespace gdi
{
// A live context, or null for a null or freed one.
inline GDI_Context* Live(HDC ctx) { return (ctx && !ctx->freed) ? ctx : nullptr; }
// The small values 1..4 that stand for "no object of this type".
inline bool IsSmallValue(HGDIOBJ o) { return (uintptr_t)o >= 1 && (uintptr_t)o <= 4; }
// A live object, or null for null, small values and freed objects.
inline GDI_Object* LiveObject(HGDIOBJ o) { return (o && !IsSmallValue(o) && !o->freed) ? o : nullptr; }
// A live object of the type whose width marks it as real (not the null pen or brush).
GDI_Object* RealOfType(HGDIOBJ o, int type);

// Pools (guarded by one process-wide recursive mutex).
GDI_Context* NewContext();
void RecycleContext(GDI_Context* c);
GDI_Object* NewObject(int type);
void RecycleObject(GDI_Object* o);
bool IsStockObject(const GDI_Object* o);

// Colours.
CGColorRef CreateColor(int rgb, float alpha);
void SetFill(CGContextRef c, int rgb);

// Float to int that saturates at the int range; NaN gives 0.
int SaturateInt(double v);

// The platform's label font at size 10, made on first need and kept.
CTFontRef DefaultFont();
} // namespace gdi
