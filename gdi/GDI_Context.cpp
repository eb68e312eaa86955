#include "gdi/GDI_Internal.h"

#include <AppKit/AppKitGraphics.h>

#include <stdint.h>
#include <stdlib.h>

using gdi::Live;

// The largest frame buffer the layer makes (the platform context addresses
// rows and columns with 16-bit signed extents).
static const int kMaxSide = 32767;

HDC GDI_CreateMemContext(HDC, int w, int h)
{
  if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide) return nullptr;
  const uint64_t bytes = (uint64_t)w * (uint64_t)h * 4u + 63u;
  if (bytes > (uint64_t)SIZE_MAX) return nullptr;
  void* mem = calloc(1, (size_t)bytes);
  if (!mem) return nullptr;
  void* fb = (void*)(((uintptr_t)mem + 63) & ~(uintptr_t)63);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef ctx = CGBitmapContextCreate(fb, (size_t)w, (size_t)h, 8, (size_t)w * 4, space,
                                           kCGImageAlphaNoneSkipFirst);
  CGColorSpaceRelease(space);
  if (!ctx)
  {
    free(mem);
    return nullptr;
  }
  GDI_Context* c = gdi::NewContext();
  if (!c)
  {
    CGContextRelease(ctx);
    free(mem);
    return nullptr;
  }
  // Row 0 on top, y growing downward, as the raster library addresses pixels.
  CGContextTranslateCTM(ctx, 0, h);
  CGContextScaleCTM(ctx, 1, -1);
  c->ctx = ctx;
  c->fbMemory = mem;
  c->fb = fb;
  c->fbWidth = w;
  c->fbHeight = h;
  c->textColor = 0;
  c->textColorRef = gdi::CreateColor(0, 1);
  return c;
}

void* GDI_GetCtxFrameBuffer(HDC ctx)
{
  GDI_Context* c = Live(ctx);
  return c ? c->fb : nullptr;
}

CGContextRef GDI_GetCtxGC(HDC ctx)
{
  GDI_Context* c = Live(ctx);
  return c ? c->ctx : nullptr;
}

HDC GDI_CreateGfxContext(void* graphicsContext)
{
  if (!graphicsContext) return nullptr;
  GDI_Context* c = gdi::NewContext();
  if (!c) return nullptr;
  c->ctx = (CGContextRef)graphicsContext;
  c->textColorRef = gdi::CreateColor(0, 1);
  return c;
}

void GDI_DeleteGfxContext(HDC ctx)
{
  GDI_Context* c = Live(ctx);
  if (!c) return;
  if (c->fbMemory)
  {
    CGContextRelease(c->ctx);
    free(c->fbMemory);
  }
  CGColorRelease(c->textColorRef);
  gdi::RecycleContext(c);
}

// Window contexts: the window host makes the port of the view being painted
// current (NSGraphicsContextSetCurrentPort); outside painting there is
// nothing to draw into and these give none. A window or view handle is only
// checked for null: the port already belongs to the view being painted, so
// GetWindowDC needs no further origin shift.
static HDC ContextForWindow(HWND window)
{
  if (!window) return nullptr;
  CGContextRef port = NSGraphicsContextCurrentPort();
  if (!port) return nullptr;
  HDC c = GDI_CreateGfxContext(port);
  if (!c) return nullptr;
  CGContextSaveGState(port);
  c->savedStates = 1;
  c->fromGetDC = true;
  return c;
}

HDC GetDC(HWND window) { return ContextForWindow(window); }
HDC GetWindowDC(HWND window) { return ContextForWindow(window); }

int ReleaseDC(HWND, HDC ctx)
{
  GDI_Context* c = Live(ctx);
  if (!c || !c->fromGetDC) return 0;
  for (int i = 0; i < c->savedStates; ++i) CGContextRestoreGState(c->ctx);
  GDI_DeleteGfxContext(c);
  return 1;
}

void SetTextColor(HDC ctx, int colour)
{
  GDI_Context* c = Live(ctx);
  if (!c) return;
  CGColorRef col = gdi::CreateColor(colour, 1);
  if (!col) return;
  CGColorRelease(c->textColorRef);
  c->textColorRef = col;
  c->textColor = colour;
}

int GetTextColor(HDC ctx)
{
  GDI_Context* c = Live(ctx);
  return c ? c->textColor : -1;
}

void SetBkColor(HDC ctx, int colour)
{
  if (GDI_Context* c = Live(ctx)) c->bkColor = colour;
}

void SetBkMode(HDC ctx, int mode)
{
  if (GDI_Context* c = Live(ctx)) c->bkMode = mode;
}

void GDI_PushClipRegion(HDC ctx)
{
  if (GDI_Context* c = Live(ctx)) CGContextSaveGState(c->ctx);
}

void GDI_SetClipRegion(HDC ctx, const RECT* r)
{
  GDI_Context* c = Live(ctx);
  if (!c || !r) return;
  CGContextClipToRect(c->ctx, CGRectMake(r->left, r->top, (double)r->right - r->left, (double)r->bottom - r->top));
}

void GDI_PopClipRegion(HDC ctx)
{
  if (GDI_Context* c = Live(ctx)) CGContextRestoreGState(c->ctx);
}

void GDI_FillDialogBackground(HDC ctx, const RECT* r, int)
{
  GDI_Context* c = Live(ctx);
  if (!c || !r) return;
  CGColorRef bg = NSColorCreateWindowBackgroundColor();
  CGContextSetFillColorWithColor(c->ctx, bg);
  CGColorRelease(bg);
  CGContextFillRect(c->ctx, CGRectMake(r->left, r->top, (double)r->right - r->left, (double)r->bottom - r->top));
}

int GetSysColor(int index)
{
  switch (index)
  {
    case 0: return 0x606060;
    case 1: return 0xE0E0E0;
    case 2:
    case 4:
    case 7: return 0xC0C0C0;
    case 5: return 0x202020;
    case 6: return 0x303030;
    case 8: return 0xFFF0C8;
    default: return 0;
  }
}
