#include "gdi/GDI_Internal.h"

#include "plugin/containers/KIT_Mutex.h"

#include <AppKit/AppKitGraphics.h>

#include <math.h>
#include <stdlib.h>
#include <string.h>

namespace
{
const int kMaxFreeContexts = 100;
const int kMaxFreeObjects = 200;

KIT_Mutex& PoolMutex()
{
  static KIT_Mutex* m = new KIT_Mutex; // lives until exit: contexts may be deleted by late destructors
  return *m;
}

GDI_Context* gFreeContexts = nullptr;
int gFreeContextCount = 0;
GDI_Object* gFreeObjects = nullptr;
int gFreeObjectCount = 0;

GDI_Object gNullPen = {GDI_OBJ_PEN, 0, nullptr, -1, nullptr, 0, nullptr, 0, false, nullptr};
GDI_Object gNullBrush = {GDI_OBJ_BRUSH, 0, nullptr, -1, nullptr, 0, nullptr, 0, false, nullptr};
} // namespace

namespace gdi
{
GDI_Object* RealOfType(HGDIOBJ o, int type)
{
  GDI_Object* x = LiveObject(o);
  return (x && x->type == type && x->width >= 0) ? x : nullptr;
}

bool IsStockObject(const GDI_Object* o) { return o == &gNullPen || o == &gNullBrush; }

GDI_Context* NewContext()
{
  GDI_Context* c = nullptr;
  {
    KIT_MutexLock lock(PoolMutex());
    if (gFreeContexts)
    {
      c = gFreeContexts;
      gFreeContexts = c->next;
      --gFreeContextCount;
    }
  }
  if (!c) c = (GDI_Context*)malloc(sizeof(GDI_Context));
  if (!c) return nullptr;
  memset(c, 0, sizeof *c);
  return c;
}

void RecycleContext(GDI_Context* c)
{
  memset(c, 0, sizeof *c);
  c->freed = true;
  KIT_MutexLock lock(PoolMutex());
  if (gFreeContextCount < kMaxFreeContexts)
  {
    c->next = gFreeContexts;
    gFreeContexts = c;
    ++gFreeContextCount;
    return;
  }
  free(c);
}

GDI_Object* NewObject(int type)
{
  GDI_Object* o = nullptr;
  {
    KIT_MutexLock lock(PoolMutex());
    if (gFreeObjects)
    {
      o = gFreeObjects;
      gFreeObjects = o->next;
      --gFreeObjectCount;
    }
  }
  if (!o) o = (GDI_Object*)malloc(sizeof(GDI_Object));
  if (!o) return nullptr;
  memset(o, 0, sizeof *o);
  o->type = type;
  return o;
}

void RecycleObject(GDI_Object* o)
{
  memset(o, 0, sizeof *o);
  o->freed = true;
  KIT_MutexLock lock(PoolMutex());
  if (gFreeObjectCount < kMaxFreeObjects)
  {
    o->next = gFreeObjects;
    gFreeObjects = o;
    ++gFreeObjectCount;
    return;
  }
  free(o);
}

CGColorRef CreateColor(int rgb, float alpha)
{
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  const CGFloat a = (alpha >= 0 && alpha <= 1) ? alpha : (alpha > 1 ? 1 : 0); // NaN counts as 0
  const CGFloat comps[4] = {GetRValue(rgb) / 255.0, GetGValue(rgb) / 255.0, GetBValue(rgb) / 255.0, a};
  CGColorRef c = CGColorCreate(space, comps);
  CGColorSpaceRelease(space);
  return c;
}

void SetFill(CGContextRef c, int rgb)
{
  CGContextSetRGBFillColor(c, GetRValue(rgb) / 255.0, GetGValue(rgb) / 255.0, GetBValue(rgb) / 255.0, 1);
}

int SaturateInt(double v)
{
  if (isnan(v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return (int)-2147483647 - 1;
  return (int)v;
}

CTFontRef DefaultFont()
{
  static CTFontRef font = NSFontCreateLabelFontOfSize(10); // kept for the life of the process
  return font;
}
} // namespace gdi

HGDIOBJ GetStockObject(int index)
{
  if (index == NULL_PEN) return &gNullPen;
  if (index == NULL_BRUSH) return &gNullBrush;
  return nullptr;
}
