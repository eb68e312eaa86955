// The two boolean constants.
#include "corefoundation/CFInternal.h"

struct __CFBoolean : cf::ObjectHeader {
    bool value;
    constexpr explicit __CFBoolean(bool v) : ObjectHeader(cf::kTypeBoolean, cf::kFlagImmortal), value(v) {}
};

static constinit __CFBoolean gTrue(true);
static constinit __CFBoolean gFalse(false);

const CFBooleanRef kCFBooleanTrue = &gTrue;
const CFBooleanRef kCFBooleanFalse = &gFalse;

namespace cf {
namespace {

CFHashCode hashBoolean(CFTypeRef cf) {
    return static_cast<const __CFBoolean*>(cf)->value ? 1 : 0;
}

CFStringRef describeBoolean(CFTypeRef cf) {
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<CFBoolean %p [%p]>{value = %s}"), cf,
                                    kCFAllocatorSystemDefault, static_cast<const __CFBoolean*>(cf)->value ? "true" : "false");
}

} // namespace

// Only two objects exist, so identity is equality.
const TypeClass kBooleanClass = {"CFBoolean", nullptr, nullptr, hashBoolean, describeBoolean};

} // namespace cf

CFTypeID CFBooleanGetTypeID(void) {
    return cf::kTypeBoolean;
}

Boolean CFBooleanGetValue(CFBooleanRef boolean) {
    return cf::isType(boolean, cf::kTypeBoolean) && boolean->value;
}
