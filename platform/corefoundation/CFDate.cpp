// Dates: an absolute time in seconds since 1 January 2001 00:00:00 GMT.
#include "corefoundation/CFInternal.h"

#include <cmath>
#include <cstring>
#include <ctime>

const CFTimeInterval kCFAbsoluteTimeIntervalSince1970 = 978307200.0;
const CFTimeInterval kCFAbsoluteTimeIntervalSince1904 = 3061152000.0;

struct __CFDate : cf::ObjectHeader {
    CFAbsoluteTime time;
    explicit __CFDate(CFAbsoluteTime t) : ObjectHeader(cf::kTypeDate, 0), time(t) {}
};

namespace cf {
namespace {

const __CFDate* asDate(CFDateRef d) {
    return isType(d, kTypeDate) ? d : nullptr;
}

bool equalDates(CFTypeRef a, CFTypeRef b) {
    return static_cast<const __CFDate*>(a)->time == static_cast<const __CFDate*>(b)->time;
}

CFHashCode hashDate(CFTypeRef cf) {
    double t = static_cast<const __CFDate*>(cf)->time;
    uint64_t bits;
    memcpy(&bits, &t, sizeof bits);
    return static_cast<CFHashCode>(bits);
}

CFStringRef describeDate(CFTypeRef cf) {
    double t = static_cast<const __CFDate*>(cf)->time;
    time_t seconds = static_cast<time_t>(std::floor(t + kCFAbsoluteTimeIntervalSince1970));
    struct tm parts;
    char text[64] = "?";
    if (gmtime_r(&seconds, &parts))
        strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S +0000", &parts);
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<CFDate %p [%p]>{time = %s}"), cf,
                                    static_cast<const __CFDate*>(cf)->allocator, text);
}

} // namespace

const TypeClass kDateClass = {"CFDate", nullptr, equalDates, hashDate, describeDate};

} // namespace cf

using namespace cf;

CFAbsoluteTime CFAbsoluteTimeGetCurrent(void) {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) - kCFAbsoluteTimeIntervalSince1970 + now.tv_nsec * 1e-9;
}

CFTypeID CFDateGetTypeID(void) {
    return kTypeDate;
}

CFDateRef CFDateCreate(CFAllocatorRef allocator, CFAbsoluteTime at) {
    return createObject<__CFDate>(allocator, at);
}

CFAbsoluteTime CFDateGetAbsoluteTime(CFDateRef theDate) {
    const __CFDate* d = asDate(theDate);
    return d ? d->time : 0.0;
}

CFTimeInterval CFDateGetTimeIntervalSinceDate(CFDateRef theDate, CFDateRef otherDate) {
    const __CFDate* a = asDate(theDate);
    const __CFDate* b = asDate(otherDate);
    return a && b ? a->time - b->time : 0.0;
}

CFComparisonResult CFDateCompare(CFDateRef theDate, CFDateRef otherDate, void*) {
    double a = CFDateGetAbsoluteTime(theDate);
    double b = CFDateGetAbsoluteTime(otherDate);
    return a < b ? kCFCompareLessThan : a > b ? kCFCompareGreaterThan : kCFCompareEqualTo;
}
