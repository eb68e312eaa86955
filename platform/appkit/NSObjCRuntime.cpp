#include <AppKit/NSObjCRuntime.h>
#include <AppKit/NSView.h>
#include <AudioUnit/AUCocoaUIView.h>

#include "appkit/NSTextDrawing.h"

#include <cstdio>
#include <list>
#include <mutex>
#include <string>
#include <vector>

struct NSClass::Record
{
  std::string name;
  Class superclass;
  NSClassFactory factory;
  const std::type_info* type;
  std::vector<const NSProtocol*> protocols;
  NSClass handle;
  Record() : handle(this) {}
};

namespace {

struct Registry
{
  std::mutex lock;
  // Lists keep addresses stable for the handles given out.
  std::list<NSClass::Record> classes;
  std::list<std::pair<std::string, NSProtocol>> protocols;

  NSClass::Record* find(const char* name)
  {
    for (auto& r : classes)
      if (r.name == name) return &r;
    return nullptr;
  }
  const NSProtocol* findProtocol(const char* name)
  {
    for (auto& p : protocols)
      if (p.first == name) return &p.second;
    return nullptr;
  }
};

void AddBuiltin(Registry& r, const char* name, const char* super, NSClassFactory factory, const std::type_info& type)
{
  r.classes.emplace_back();
  NSClass::Record& rec = r.classes.back();
  rec.name = name;
  rec.superclass = super ? &r.find(super)->handle : nullptr;
  rec.factory = factory;
  rec.type = &type;
}

// The platform's own classes and protocols exist before any registration,
// whatever order the static initialisers of the libraries run in.
Registry* MakeRegistry()
{
  Registry* r = new Registry;
  r->protocols.emplace_back(AUCocoaUIBase::kProtocolName, NSProtocol(nullptr));
  r->protocols.back().second = NSProtocol(r->protocols.back().first.c_str());
  AddBuiltin(*r, "NSObject", nullptr, [] { return new NSObject(); }, typeid(NSObject));
  AddBuiltin(*r, "NSResponder", "NSObject", [] { return static_cast<NSObject*>(new NSResponder()); }, typeid(NSResponder));
  AddBuiltin(*r, "NSView", "NSResponder", [] { return static_cast<NSObject*>(new NSView()); }, typeid(NSView));
  return r;
}

Registry& TheRegistry()
{
  static Registry* registry = MakeRegistry(); // outlives every static registrar
  return *registry;
}

} // namespace

AUCocoaUIBase::~AUCocoaUIBase() {}

const char* NSClass::name() const { return mRecord->name.c_str(); }

Class NSClass::superclass() const { return mRecord->superclass; }

NSObject* NSClass::createInstance() const { return mRecord->factory ? mRecord->factory() : nullptr; }

bool NSClass::conformsToProtocol(const NSProtocol* protocol) const
{
  if (!protocol) return false;
  for (Class c = this; c; c = c->superclass())
    for (const NSProtocol* p : c->mRecord->protocols)
      if (p == protocol) return true;
  return false;
}

bool NSClass::isSubclassOfClass(Class other) const
{
  for (Class c = this; c; c = c->superclass())
    if (c == other) return true;
  return false;
}

const NSProtocol* objc_registerProtocol(const char* name)
{
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> g(r.lock);
  if (const NSProtocol* p = r.findProtocol(name)) return p;
  r.protocols.emplace_back(name, NSProtocol(nullptr));
  r.protocols.back().second = NSProtocol(r.protocols.back().first.c_str());
  return &r.protocols.back().second;
}

const NSProtocol* objc_getProtocol(const char* name)
{
  if (!name) return nullptr;
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> g(r.lock);
  return r.findProtocol(name);
}

const NSProtocol* NSProtocolFromString(CFStringRef name) { return name ? objc_getProtocol(NSUtf8(name).c_str()) : nullptr; }

Class objc_registerClass(const char* name, const char* superclassName, NSClassFactory factory,
                         const std::type_info& type, const char* const* protocolNames, int protocolCount)
{
  if (!name || !*name) return nullptr;
  Registry& r = TheRegistry();
  std::vector<const NSProtocol*> protocols;
  // Protocols a class adopts are known to the process from then on.
  for (int i = 0; i < protocolCount; ++i) protocols.push_back(objc_registerProtocol(protocolNames[i]));
  std::lock_guard<std::mutex> g(r.lock);
  if (r.find(name))
  {
    fprintf(stderr, "objc: class %s is defined twice; the first definition stays in use\n", name);
    return nullptr;
  }
  Class super = nullptr;
  if (superclassName)
  {
    NSClass::Record* s = r.find(superclassName);
    if (!s)
    {
      fprintf(stderr, "objc: class %s names an unknown superclass %s; not registered\n", name, superclassName);
      return nullptr;
    }
    super = &s->handle;
  }
  r.classes.emplace_back();
  NSClass::Record& rec = r.classes.back();
  rec.name = name;
  rec.superclass = super;
  rec.factory = factory;
  rec.type = &type;
  rec.protocols = std::move(protocols);
  return &rec.handle;
}

void objc_unregisterClass(Class cls)
{
  if (!cls) return;
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> g(r.lock);
  for (auto it = r.classes.begin(); it != r.classes.end(); ++it)
    if (&it->handle == cls)
    {
      // Subclasses registered by other libraries lose their superclass link with it.
      for (auto& other : r.classes)
        if (other.superclass == cls) other.superclass = nullptr;
      r.classes.erase(it);
      return;
    }
}

Class objc_getClass(const char* name)
{
  if (!name) return nullptr;
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> g(r.lock);
  NSClass::Record* rec = r.find(name);
  return rec ? &rec->handle : nullptr;
}

Class NSClassFromString(CFStringRef name) { return name ? objc_getClass(NSUtf8(name).c_str()) : nullptr; }

CFStringRef NSStringFromClass(Class cls)
{
  return cls ? CFStringCreateWithCString(nullptr, cls->name(), kCFStringEncodingUTF8) : nullptr;
}

Class object_getClass(const NSObject* object)
{
  if (!object) return nullptr;
  const std::type_info& t = typeid(*object);
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> g(r.lock);
  for (auto& rec : r.classes)
    if (*rec.type == t) return &rec.handle;
  return nullptr;
}
