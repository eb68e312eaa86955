#pragma once

// Common base of every CoreGraphics and CoreText object. Objects carry the
// CoreFoundation object header, so CFRetain, CFRelease and CFGetTypeID can
// serve them once the CoreFoundation runtime dispatches to types registered
// from outside it; until then those calls leave them alone and the typed
// functions (CGColorRelease, CGContextRelease, ...) manage them.
//
// Objects are malloc'd and built in place, have no virtual functions (the
// header must stay at offset 0) and are destroyed through DestroyObject,
// which knows every type.

#include "corefoundation/CFInternal.h"

#include <stdlib.h>

#include <new>
#include <utility>

struct CGObject : cf::ObjectHeader
{
  explicit CGObject(uint16_t type) : cf::ObjectHeader(type, 0) { retainCount.store(1, std::memory_order_relaxed); }
};

namespace cgobj
{
// Type identifiers of the objects this library makes (above CoreFoundation's own).
enum : uint16_t
{
  kColorSpace = 0x40,
  kColor,
  kPath,
  kDataProvider,
  kImage,
  kContext,
  kFont,
  kLine,
  kFramesetter,
  kFrame,
  kAttributedString,
};

template <class T, class... Args>
T* create(Args&&... args)
{
  void* m = malloc(sizeof(T));
  if (!m) return nullptr;
  return new (m) T(std::forward<Args>(args)...);
}

template <class T>
T* retain(T* o)
{
  if (o)
    const_cast<CGObject*>(static_cast<const CGObject*>(o))->retainCount.fetch_add(1, std::memory_order_relaxed);
  return o;
}

void release(const CGObject* o);

// Runs the destructor of the object's type and frees it.
void DestroyObject(CGObject* o);

// The object as T when it is a live object of type id, else null.
template <class T>
T* as(const void* p, uint16_t id)
{
  const CGObject* o = static_cast<const CGObject*>(p);
  return (o && o->magic == cf::kLiveMagic && o->typeID == id) ? const_cast<T*>(static_cast<const T*>(o)) : nullptr;
}
} // namespace cgobj
