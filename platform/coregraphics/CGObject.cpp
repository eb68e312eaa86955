#include "coregraphics/CGObject.h"
#include "coregraphics/CGColorData.h"
#include "coregraphics/CGColorSpaceData.h"
#include "coregraphics/CGContextData.h"
#include "coregraphics/CGDataProviderData.h"
#include "coregraphics/CGImageData.h"
#include "coregraphics/CGPathData.h"
#include "coretext/CTObjects.h"

namespace cgobj
{
template <class T>
static void Destroy(CGObject* o)
{
  static_cast<T*>(o)->~T();
}

void DestroyObject(CGObject* o)
{
  switch (o->typeID)
  {
    case kColorSpace: Destroy<CGColorSpace>(o); break;
    case kColor: Destroy<CGColor>(o); break;
    case kPath: Destroy<CGPath>(o); break;
    case kDataProvider: Destroy<CGDataProvider>(o); break;
    case kImage: Destroy<CGImage>(o); break;
    case kContext: Destroy<CGContext>(o); break;
    case kFont: Destroy<__CTFont>(o); break;
    case kLine: Destroy<__CTLine>(o); break;
    case kFramesetter: Destroy<__CTFramesetter>(o); break;
    case kFrame: Destroy<__CTFrame>(o); break;
    case kAttributedString: Destroy<__CFAttributedString>(o); break;
    default: return; // not ours: leave it alone
  }
  o->magic = cf::kDeadMagic;
  free(o);
}

void release(const CGObject* o)
{
  if (!o || o->magic != cf::kLiveMagic) return;
  CGObject* m = const_cast<CGObject*>(o);
  if (m->retainCount.fetch_sub(1, std::memory_order_acq_rel) == 1) DestroyObject(m);
}
} // namespace cgobj
