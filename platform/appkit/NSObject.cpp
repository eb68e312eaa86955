#include <AppKit/NSObjCRuntime.h>
#include <AppKit/OrvantaAppKitTesting.h>

#include <atomic>
#include <cstdio>
#include <vector>

static std::atomic<long> gLiveObjects{0};
static thread_local NSAutoreleasePool* tInnermostPool = nullptr;

long OrvantaAppKitLiveObjectCount() { return gLiveObjects.load(); }

NSObject::NSObject() { gLiveObjects.fetch_add(1); }

NSObject::~NSObject() { gLiveObjects.fetch_sub(1); }

NSObject* NSObject::retain()
{
  ++mRetainCount;
  return this;
}

void NSObject::release()
{
  if (--mRetainCount == 0) delete this;
}

NSObject* NSObject::autorelease()
{
  if (tInnermostPool)
    tInnermostPool->addObject(this);
  else
    // AppKit's behaviour: without a pool the object is never released.
    fprintf(stderr, "AppKit: %s autoreleased with no pool in place, leaking\n", className());
  return this;
}

CFStringRef NSObject::description()
{
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<%s: %p>"), className(), (void*)this);
}

const char* NSObject::className() const
{
  Class cls = object_getClass(this);
  return cls ? cls->name() : "NSObject";
}

struct NSAutoreleasePool::Entries
{
  std::vector<NSObject*> objects;
};

NSAutoreleasePool::NSAutoreleasePool() : mOuter(tInnermostPool), mEntries(new Entries) { tInnermostPool = this; }

NSAutoreleasePool::~NSAutoreleasePool()
{
  drain();
  // Pools are a stack; one left open inside this one is closed with it.
  tInnermostPool = mOuter;
  delete mEntries;
}

void NSAutoreleasePool::drain()
{
  // Releasing may autorelease more objects into this pool: loop until empty.
  while (!mEntries->objects.empty())
  {
    std::vector<NSObject*> batch;
    batch.swap(mEntries->objects);
    for (NSObject* o : batch) o->release();
  }
}

void NSAutoreleasePool::addObject(NSObject* object) { mEntries->objects.push_back(object); }
