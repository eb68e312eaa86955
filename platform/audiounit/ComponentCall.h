// Builds the ComponentParameters record of one component call and invokes the
// entry function with it. The layout is the one a component's entry unpacks:
// flags, parameter size, selector, padding, then 64-bit words with the
// instance in word 0 and the call's arguments in declaration order after it.
#ifndef ORVANTA_PLATFORM_AUDIOUNIT_COMPONENTCALL_H
#define ORVANTA_PLATFORM_AUDIOUNIT_COMPONENTCALL_H

#include <CoreServices/Components.h>

#include <cstddef>
#include <cstring>
#include <type_traits>

namespace orvanta_cm {

// Widens one argument to its 64-bit word. Signed integers are sign-extended
// and unsigned ones zero-extended, so an entry that reads the low 16 or 32
// bits and one that reads the whole word see the same value; a float keeps
// its bit pattern in the low 32 bits with the high half zero.
template <typename T>
long PackWord(T value) {
    if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<long>(value);
    } else if constexpr (std::is_floating_point_v<T>) {
        static_assert(sizeof(T) == 4, "floats travel as 32-bit values");
        UInt32 bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        return static_cast<long>(bits);
    } else if constexpr (std::is_signed_v<T>) {
        return static_cast<long>(value);
    } else {
        static_assert(sizeof(T) <= 4, "wider integers are not component arguments");
        return static_cast<long>(static_cast<unsigned long>(value));
    }
}

// The record with room for the instance and up to seven argument words; its
// prefix is ComponentParameters, whose params array is variable-length.
struct ComponentCallRecord {
    static constexpr int kMaxArguments = 7;

    UInt8 flags;
    UInt8 paramSize;
    SInt16 what;
    UInt32 padding;
    long params[1 + kMaxArguments];

    ComponentParameters* AsParameters() { return reinterpret_cast<ComponentParameters*>(this); }
};

static_assert(offsetof(ComponentCallRecord, flags) == offsetof(ComponentParameters, flags));
static_assert(offsetof(ComponentCallRecord, paramSize) == offsetof(ComponentParameters, paramSize));
static_assert(offsetof(ComponentCallRecord, what) == offsetof(ComponentParameters, what));
static_assert(offsetof(ComponentCallRecord, params) == offsetof(ComponentParameters, params));
static_assert(sizeof(long) == 8, "component call words are 64-bit");

// Calls entry(record, storage) for selector `what` on instance `ci` with the
// given arguments. Runs on the caller's thread; allocates nothing.
template <typename... Args>
ComponentResult InvokeEntry(ComponentRoutineUPP entry, Handle storage, ComponentInstance ci, SInt16 what,
                            Args... args) {
    static_assert(sizeof...(Args) <= ComponentCallRecord::kMaxArguments, "too many component arguments");
    ComponentCallRecord record;
    std::memset(&record, 0, sizeof record);
    record.flags = 0;
    record.paramSize = static_cast<UInt8>(sizeof...(Args) * sizeof(long));
    record.what = what;
    record.params[0] = PackWord(ci);
    [[maybe_unused]] int word = 1;
    ((record.params[word++] = PackWord(args)), ...);
    return entry(record.AsParameters(), storage);
}

}  // namespace orvanta_cm

#endif  // ORVANTA_PLATFORM_AUDIOUNIT_COMPONENTCALL_H
