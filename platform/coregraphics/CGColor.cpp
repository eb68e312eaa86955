#include "coregraphics/CGColorData.h"
#include "coregraphics/CGColorSpaceData.h"

#include <math.h>

static CGFloat Unit(CGFloat v)
{
  if (!(v > 0)) return 0; // NaN counts as 0
  return v > 1 ? 1 : v;
}

CGColor::~CGColor() { CGColorSpaceRelease(space); }

CGColorRef CGColorCreate(CGColorSpaceRef space, const CGFloat* components)
{
  if (!space || !components) return nullptr;
  const size_t n = CGColorSpaceGetNumberOfComponents(space);
  if (n != 1 && n != 3) return nullptr;
  CGColor* c = cgobj::create<CGColor>();
  if (!c) return nullptr;
  c->space = CGColorSpaceRetain(space);
  c->count = n + 1;
  for (size_t i = 0; i < n + 1; ++i) c->comps[i] = components[i];
  if (n == 1)
    c->rgba[0] = c->rgba[1] = c->rgba[2] = Unit(components[0]);
  else
    for (int i = 0; i < 3; ++i) c->rgba[i] = Unit(components[i]);
  c->rgba[3] = Unit(components[n]);
  return c;
}

CGColorRef CGColorCreateGenericRGB(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
  CGColorSpaceRef s = CGColorSpaceCreateDeviceRGB();
  const CGFloat comps[4] = {red, green, blue, alpha};
  CGColorRef c = CGColorCreate(s, comps);
  CGColorSpaceRelease(s);
  return c;
}

CGColorRef CGColorCreateGenericGray(CGFloat gray, CGFloat alpha)
{
  CGColorSpaceRef s = CGColorSpaceCreateDeviceGray();
  const CGFloat comps[2] = {gray, alpha};
  CGColorRef c = CGColorCreate(s, comps);
  CGColorSpaceRelease(s);
  return c;
}

CGColorRef CGColorCreateCopyWithAlpha(CGColorRef color, CGFloat alpha)
{
  if (!color) return nullptr;
  CGFloat comps[5];
  for (size_t i = 0; i < color->count; ++i) comps[i] = color->comps[i];
  comps[color->count - 1] = alpha;
  return CGColorCreate(color->space, comps);
}

CGColorRef CGColorRetain(CGColorRef color) { return cgobj::retain(color); }
void CGColorRelease(CGColorRef color) { cgobj::release(color); }

bool CGColorEqualToColor(CGColorRef a, CGColorRef b)
{
  if (a == b) return true;
  if (!a || !b || a->count != b->count || a->space->model != b->space->model) return false;
  for (size_t i = 0; i < a->count; ++i)
    if (a->comps[i] != b->comps[i]) return false;
  return true;
}

size_t CGColorGetNumberOfComponents(CGColorRef color) { return color ? color->count : 0; }
const CGFloat* CGColorGetComponents(CGColorRef color) { return color ? color->comps : nullptr; }
CGFloat CGColorGetAlpha(CGColorRef color) { return color ? color->rgba[3] : 0; }
CGColorSpaceRef CGColorGetColorSpace(CGColorRef color) { return color ? color->space : nullptr; }
CFTypeID CGColorGetTypeID(void) { return cgobj::kColor; }
