#include "gdi/GDI_Internal.h"

#include "plugin/containers/KIT_Mutex.h"
#include "plugin/containers/KIT_StringKeyedArray.h"

#include <AppKit/AppKitGraphics.h>

#include <stdlib.h>
#include <string.h>

using gdi::Live;
using gdi::LiveObject;

namespace
{
// Composed font name ("Face Bold Italic") -> platform font name.
struct FontNameCache
{
  KIT_Mutex mutex;
  KIT_StringKeyedArray<CFStringRef> names{[](CFStringRef s) {
    if (s) NSObjectRelease(s);
  }};
};

FontNameCache& Names()
{
  static FontNameCache* cache = new FontNameCache; // lives until exit: fonts may be made by late destructors
  return *cache;
}

// Made at load time, as the layer's other process-wide state.
const bool gNamesReady = (Names(), true);

HGDIOBJ MakeColored(int type, int width, int colour, float alpha)
{
  GDI_Object* o = gdi::NewObject(type);
  if (!o) return nullptr;
  o->width = width;
  o->color = gdi::CreateColor(colour, alpha);
  if (!o->color)
  {
    gdi::RecycleObject(o);
    return nullptr;
  }
  return o;
}

CFStringRef MakeCFString(const char* s)
{
  CFStringRef r = CFStringCreateWithCString(nullptr, s, kCFStringEncodingUTF8);
  return r ? r : CFStringCreateWithCString(nullptr, s, kCFStringEncodingASCII);
}

// The platform name for a composed name, through the cache: the font
// catalogue is asked once per distinct name.
CFStringRef PlatformName(const char* name)
{
  FontNameCache& cache = Names();
  KIT_MutexLock lock(cache.mutex);
  if (CFStringRef known = cache.names.Get(name))
  {
    NSObjectRetain(known);
    return known;
  }
  CFStringRef str = MakeCFString(name);
  if (!str) return nullptr;
  if (NSFoundationVersionNumber > 945)
  {
    if (CTFontRef f = NSFontCreateWithNameSize(str, 10))
    {
      CFStringRef ps = CTFontCopyPostScriptName(f);
      NSObjectRelease(f);
      if (ps)
      {
        NSObjectRelease(str);
        str = ps;
      }
    }
  }
  NSObjectRetain(str);
  if (!cache.names.Insert(name, str)) NSObjectRelease(str);
  return str;
}
} // namespace

HPEN CreatePen(int, int width, int colour) { return MakeColored(GDI_OBJ_PEN, width < 0 ? 0 : width, colour, 1); }

HPEN CreatePenAlpha(int, int width, int colour, float alpha)
{
  return MakeColored(GDI_OBJ_PEN, width < 0 ? 0 : width, colour, alpha);
}

HBRUSH CreateSolidBrush(int colour) { return MakeColored(GDI_OBJ_BRUSH, 0, colour, 1); }
HBRUSH CreateSolidBrushAlpha(int colour, float alpha) { return MakeColored(GDI_OBJ_BRUSH, 0, colour, alpha); }

HFONT CreateFont(int height, int width, int, int orientation, int weight, char italic, char, char, char, char, char,
                 char quality, char, const char* faceName)
{
  long long size = height ? height : width;
  if (size < 0) size = -size;
  if (size > 8192 || size < 2) size = 10;

  // Face name (bounded), " Bold", " Italic", terminator.
  enum { kMaxFace = 899 };
  char name[kMaxFace + sizeof(" Bold") - 1 + sizeof(" Italic") - 1 + 1];
  size_t n = 0;
  if (faceName)
    while (n < kMaxFace && faceName[n]) ++n;
  memcpy(name, faceName ? faceName : "", n);
  name[n] = 0;
  if (weight >= FW_BOLD) strcat(name, " Bold");
  if (italic) strcat(name, " Italic");

  CFStringRef platformName = name[0] ? PlatformName(name) : CFStringCreateWithCString(nullptr, "", kCFStringEncodingUTF8);
  CTFontRef font = platformName ? CTFontCreateWithName(platformName, (CGFloat)size, nullptr) : nullptr;
  if (platformName) NSObjectRelease(platformName);
  if (!font) font = NSFontCreateLabelFontOfSize((CGFloat)size);
  if (!font) return nullptr;

  GDI_Object* o = gdi::NewObject(GDI_OBJ_FONT);
  if (!o)
  {
    NSObjectRelease(font);
    return nullptr;
  }
  o->font = font;
  o->rotation = (float)orientation / 10.0f;
  o->quality = (quality == DEFAULT_QUALITY || quality == NONANTIALIASED_QUALITY || quality == ANTIALIASED_QUALITY)
                   ? quality
                   : DEFAULT_QUALITY;
  return o;
}

HFONT CreateFontIndirect(const LOGFONT* lf)
{
  if (!lf) return nullptr;
  char face[sizeof lf->lfFaceName + 1];
  memcpy(face, lf->lfFaceName, sizeof lf->lfFaceName);
  face[sizeof lf->lfFaceName] = 0; // a full-length name need not be terminated
  return CreateFont(lf->lfHeight, lf->lfWidth, 0, lf->lfOrientation, lf->lfWeight, lf->lfItalic, 0, 0, 0, 0, 0,
                    lf->lfQuality, 0, face);
}

HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj)
{
  GDI_Context* c = Live(ctx);
  if (!c || !obj) return nullptr;
  const uintptr_t small = (uintptr_t)obj;
  if (small >= GDI_OBJ_PEN && small <= GDI_OBJ_FONT)
  {
    HGDIOBJ* slot = small == GDI_OBJ_PEN ? &c->curPen : small == GDI_OBJ_BRUSH ? &c->curBrush : &c->curFont;
    GDI_Object* held = LiveObject(*slot);
    *slot = nullptr;
    return (held && held->type == (int)small) ? held : obj;
  }
  GDI_Object* o = LiveObject(obj);
  if (!o || o->type < GDI_OBJ_PEN || o->type > GDI_OBJ_FONT) return nullptr;
  HGDIOBJ* slot = o->type == GDI_OBJ_PEN ? &c->curPen : o->type == GDI_OBJ_BRUSH ? &c->curBrush : &c->curFont;
  GDI_Object* held = LiveObject(*slot);
  *slot = o;
  return (held && held->type == o->type) ? held : (HGDIOBJ)(uintptr_t)o->type;
}

void DeleteObject(HGDIOBJ obj)
{
  GDI_Object* o = LiveObject(obj);
  if (!o || gdi::IsStockObject(o)) return;
  if (o->extraRefs-- > 0) return;
  o->extraRefs = 0;
  if (o->type < GDI_OBJ_PEN || o->type > GDI_OBJ_BITMAP) return;
  if ((o->type == GDI_OBJ_PEN || o->type == GDI_OBJ_BRUSH) && o->width < 0) return;
  CGColorRelease(o->color);
  if (o->font) NSObjectRelease(o->font);
  if (o->type == GDI_OBJ_BITMAP && o->width == 1) CGImageRelease(o->image);
  gdi::RecycleObject(o);
}

HGDIOBJ GDI_CloneGDIObject(HGDIOBJ obj)
{
  GDI_Object* o = LiveObject(obj);
  if (!o) return nullptr;
  if (!gdi::IsStockObject(o)) ++o->extraRefs;
  return o;
}
