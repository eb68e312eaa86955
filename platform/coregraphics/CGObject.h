#pragma once

// Common base of every CoreGraphics and CoreText object. Objects carry the
// CoreFoundation object header and their types are registered with the
// CoreFoundation runtime, so CFRetain, CFRelease, CFGetTypeID, CFEqual and
// CFHash serve them, the typed calls (CGColorRelease, ...) are the same
// operations, and they count among CoreFoundation's live objects.
//
// Objects are made by the runtime's allocator and built in place, have no
// virtual functions (the header must stay at offset 0) and are finalised
// through the class their type registered (see CGObject.cpp).

#include "corefoundation/CFInternal.h"

#include <utility>

struct CGObject : cf::ObjectHeader
{
  explicit CGObject(uint16_t type) : cf::ObjectHeader(type, 0) {}
};

namespace cgobj
{
// Type identifiers of the objects this library makes, in the range the
// CoreFoundation runtime keeps for registered types.
enum : uint16_t
{
  kColorSpace = cf::kFirstRegisteredType,
  kColor,
  kPath,
  kDataProvider,
  kImage,
  kContext,
  kFont,
  kLine,
  kFramesetter,
  kFrame,
};

// Registers every type above with the runtime; runs once, before the first
// object is made.
void RegisterTypes();

template <class T, class... Args>
T* create(Args&&... args)
{
  RegisterTypes();
  return cf::createObject<T>(nullptr, std::forward<Args>(args)...);
}

template <class T>
T* retain(T* o)
{
  if (o) CFRetain(o);
  return o;
}

inline void release(const void* o)
{
  if (o) CFRelease(o);
}

// The object as T when it is a live object of type id, else null.
template <class T>
T* as(const void* p, uint16_t id)
{
  const CGObject* o = static_cast<const CGObject*>(p);
  return (o && o->magic == cf::kLiveMagic && o->typeID == id) ? const_cast<T*>(static_cast<const T*>(o)) : nullptr;
}
} // namespace cgobj
