#ifndef APPKIT_NSOBJCRUNTIME_H_
#define APPKIT_NSOBJCRUNTIME_H_

// The class registry that stands in for the Objective-C runtime's class
// table. A shared object registers its classes from static initialisers
// (NS_REGISTER_CLASS), so loading a bundle's executable makes its classes
// known by name; unloading it removes them. A host then finds a class by
// name (NSClassFromString), checks that it conforms to a protocol and
// instantiates it ([[cls alloc] init] is cls->createInstance()).
//
// Class names are process-wide: the first class registered under a name is
// the one found; a later registration of the same name is refused with a
// warning on standard error (which is why plug-ins suffix their class names).
// Registration and lookup may run on any thread; the table has its own lock.

#include <AppKit/NSObject.h>

#include <type_traits>
#include <typeinfo>

class NSClass;
class NSProtocol;
typedef const NSClass* Class;

class NSClass
{
public:
  const char* name() const;
  // Null for a root class.
  Class superclass() const;
  // [[cls alloc] init]: a new instance with a retain count of 1.
  NSObject* createInstance() const;
  // Looks through the superclasses too.
  bool conformsToProtocol(const NSProtocol* protocol) const;
  bool isSubclassOfClass(Class other) const;

  struct Record;
  explicit NSClass(Record* record) : mRecord(record) {}

private:
  Record* mRecord;
};

class NSProtocol
{
public:
  explicit NSProtocol(const char* name) : mName(name) {}
  const char* name() const { return mName; }

private:
  const char* mName;
};

// objc_getClass / NSClassFromString: null when no class has that name.
Class objc_getClass(const char* name);
Class NSClassFromString(CFStringRef name);
// A new string of the class's name (null for no class); the caller releases it.
CFStringRef NSStringFromClass(Class cls);
// The class an instance was created as, or null when it is not registered.
Class object_getClass(const NSObject* object);
// Protocols are registered once per process by the library that declares them.
const NSProtocol* objc_getProtocol(const char* name);
const NSProtocol* NSProtocolFromString(CFStringRef name);

typedef NSObject* (*NSClassFactory)();
// Registration primitives behind NS_REGISTER_CLASS. objc_registerClass
// returns null when the name is taken or the superclass is unknown.
Class objc_registerClass(const char* name, const char* superclassName, NSClassFactory factory,
                         const std::type_info& type, const char* const* protocolNames, int protocolCount);
void objc_unregisterClass(Class cls);
const NSProtocol* objc_registerProtocol(const char* name);

template <class T, class Super, class... Protocols>
class NSClassRegistrar
{
  static_assert(std::is_base_of_v<Super, T>, "a class must derive from its superclass");
  static_assert((std::is_base_of_v<Protocols, T> && ...), "a class must derive from every protocol it names");

public:
  NSClassRegistrar(const char* name, const char* superclassName)
  {
    const char* protocols[] = {Protocols::kProtocolName..., nullptr};
    mClass = objc_registerClass(name, superclassName, &Make, typeid(T), protocols, (int)sizeof...(Protocols));
  }
  ~NSClassRegistrar() { objc_unregisterClass(mClass); }
  NSClassRegistrar(const NSClassRegistrar&) = delete;
  NSClassRegistrar& operator=(const NSClassRegistrar&) = delete;
  Class cls() const { return mClass; }

private:
  static NSObject* Make() { return new T(); }
  Class mClass;
};

// NS_REGISTER_CLASS(Orvanta_View, NSObject, AUCocoaUIBase) at namespace
// scope in one source file: registers the C++ class under its own name with
// its superclass and the protocols (C++ bases with a kProtocolName) it adopts.
#define NS_REGISTER_CLASS(cls, super, ...) \
  static const NSClassRegistrar<cls, super __VA_OPT__(, ) __VA_ARGS__> cls##_classRegistration(#cls, #super)

#endif
