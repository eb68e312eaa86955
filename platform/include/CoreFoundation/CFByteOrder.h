/* Byte swapping between host order (little-endian here) and big- or little-endian data. */
#ifndef __COREFOUNDATION_CFBYTEORDER__
#define __COREFOUNDATION_CFBYTEORDER__

#include <CoreFoundation/CFBase.h>

CF_EXTERN_C_BEGIN

typedef CF_ENUM(CFIndex, __CFByteOrder) {
    CFByteOrderUnknown,
    CFByteOrderLittleEndian,
    CFByteOrderBigEndian
};
typedef CFIndex CFByteOrder;

CF_INLINE CFByteOrder CFByteOrderGetCurrent(void) { return CFByteOrderLittleEndian; }
CF_INLINE uint16_t CFSwapInt16(uint16_t arg) { return __builtin_bswap16(arg); }
CF_INLINE uint32_t CFSwapInt32(uint32_t arg) { return __builtin_bswap32(arg); }
CF_INLINE uint64_t CFSwapInt64(uint64_t arg) { return __builtin_bswap64(arg); }
CF_INLINE uint16_t CFSwapInt16BigToHost(uint16_t arg) { return __builtin_bswap16(arg); }
CF_INLINE uint32_t CFSwapInt32BigToHost(uint32_t arg) { return __builtin_bswap32(arg); }
CF_INLINE uint64_t CFSwapInt64BigToHost(uint64_t arg) { return __builtin_bswap64(arg); }
CF_INLINE uint16_t CFSwapInt16HostToBig(uint16_t arg) { return __builtin_bswap16(arg); }
CF_INLINE uint32_t CFSwapInt32HostToBig(uint32_t arg) { return __builtin_bswap32(arg); }
CF_INLINE uint64_t CFSwapInt64HostToBig(uint64_t arg) { return __builtin_bswap64(arg); }
CF_INLINE uint16_t CFSwapInt16LittleToHost(uint16_t arg) { return arg; }
CF_INLINE uint32_t CFSwapInt32LittleToHost(uint32_t arg) { return arg; }
CF_INLINE uint64_t CFSwapInt64LittleToHost(uint64_t arg) { return arg; }
CF_INLINE uint16_t CFSwapInt16HostToLittle(uint16_t arg) { return arg; }
CF_INLINE uint32_t CFSwapInt32HostToLittle(uint32_t arg) { return arg; }
CF_INLINE uint64_t CFSwapInt64HostToLittle(uint64_t arg) { return arg; }

CF_EXTERN_C_END

#endif /* __COREFOUNDATION_CFBYTEORDER__ */
