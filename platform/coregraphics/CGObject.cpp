#include "coregraphics/CGObject.h"
#include "coregraphics/CGColorData.h"
#include "coregraphics/CGColorSpaceData.h"
#include "coregraphics/CGContextData.h"
#include "coregraphics/CGDataProviderData.h"
#include "coregraphics/CGImageData.h"
#include "coregraphics/CGPathData.h"
#include "coretext/CTObjects.h"

#include <functional>

namespace cgobj
{
namespace
{
// Finalisers, comparisons and hashes run on whichever thread drops the last
// reference or asks; they may allocate and lock (destructors free buffers).
template <class T>
void Finalize(CFTypeRef o)
{
  static_cast<T*>(const_cast<void*>(o))->~T();
}

CFHashCode Mix(CFHashCode h, CFHashCode v) { return h * 1000003u ^ v; }

// Values compared with ==, so 0 and -0 must hash alike.
CFHashCode HashReal(double v) { return std::hash<double>()(v == 0 ? 0.0 : v); }

bool ColorSpaceEqual(CFTypeRef a, CFTypeRef b)
{
  return static_cast<const CGColorSpace*>(a)->model == static_cast<const CGColorSpace*>(b)->model;
}

CFHashCode ColorSpaceHash(CFTypeRef o) { return static_cast<CFHashCode>(static_cast<const CGColorSpace*>(o)->model); }

bool ColorEqual(CFTypeRef a, CFTypeRef b)
{
  return CGColorEqualToColor(const_cast<CGColor*>(static_cast<const CGColor*>(a)),
                             const_cast<CGColor*>(static_cast<const CGColor*>(b)));
}

CFHashCode ColorHash(CFTypeRef o)
{
  const CGColor* c = static_cast<const CGColor*>(o);
  CFHashCode h = c->count;
  for (size_t i = 0; i < c->count; ++i) h = Mix(h, HashReal(c->comps[i]));
  return h;
}

bool FontEqual(CFTypeRef a, CFTypeRef b)
{
  const __CTFont* x = static_cast<const __CTFont*>(a);
  const __CTFont* y = static_cast<const __CTFont*>(b);
  return x->face == y->face && x->size == y->size && CGAffineTransformEqualToTransform(x->matrix, y->matrix);
}

CFHashCode FontHash(CFTypeRef o)
{
  const __CTFont* f = static_cast<const __CTFont*>(o);
  return Mix(reinterpret_cast<CFHashCode>(f->face), HashReal(f->size));
}

constexpr cf::TypeClass kColorSpaceClass = {"CGColorSpace", Finalize<CGColorSpace>, ColorSpaceEqual, ColorSpaceHash, nullptr};
constexpr cf::TypeClass kColorClass = {"CGColor", Finalize<CGColor>, ColorEqual, ColorHash, nullptr};
constexpr cf::TypeClass kPathClass = {"CGPath", Finalize<CGPath>, nullptr, nullptr, nullptr};
constexpr cf::TypeClass kDataProviderClass = {"CGDataProvider", Finalize<CGDataProvider>, nullptr, nullptr, nullptr};
constexpr cf::TypeClass kImageClass = {"CGImage", Finalize<CGImage>, nullptr, nullptr, nullptr};
constexpr cf::TypeClass kContextClass = {"CGContext", Finalize<CGContext>, nullptr, nullptr, nullptr};
constexpr cf::TypeClass kFontClass = {"CTFont", Finalize<__CTFont>, FontEqual, FontHash, nullptr};
constexpr cf::TypeClass kLineClass = {"CTLine", Finalize<__CTLine>, nullptr, nullptr, nullptr};
constexpr cf::TypeClass kFramesetterClass = {"CTFramesetter", Finalize<__CTFramesetter>, nullptr, nullptr, nullptr};
constexpr cf::TypeClass kFrameClass = {"CTFrame", Finalize<__CTFrame>, nullptr, nullptr, nullptr};

bool RegisterAll()
{
  const struct
  {
    uint16_t id;
    const cf::TypeClass* cls;
  } types[] = {
      {kColorSpace, &kColorSpaceClass}, {kColor, &kColorClass},     {kPath, &kPathClass},
      {kDataProvider, &kDataProviderClass}, {kImage, &kImageClass}, {kContext, &kContextClass},
      {kFont, &kFontClass},             {kLine, &kLineClass},       {kFramesetter, &kFramesetterClass},
      {kFrame, &kFrameClass},
  };
  for (const auto& t : types) cf::registerClass(t.id, t.cls);
  return true;
}
} // namespace

void RegisterTypes()
{
  static const bool registered = RegisterAll();
  (void)registered;
}

// At load as well, so type queries (CFCopyTypeIDDescription) know the types
// before any object exists.
[[maybe_unused]] static const bool gRegisteredAtLoad = (RegisterTypes(), true);
} // namespace cgobj
