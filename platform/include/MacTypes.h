/* Basic scalar types, status codes and small records shared by every
   platform framework header (CoreFoundation, CoreServices, AudioUnit ...). */
#ifndef __MACTYPES__
#define __MACTYPES__

#ifdef __cplusplus
extern "C" {
#endif

#ifndef NULL
#ifdef __cplusplus
#define NULL 0
#else
#define NULL ((void*)0)
#endif
#endif

typedef unsigned char UInt8;
typedef signed char SInt8;
typedef unsigned short UInt16;
typedef signed short SInt16;
typedef unsigned int UInt32;
typedef signed int SInt32;
typedef unsigned long long UInt64;
typedef signed long long SInt64;

typedef struct wide { UInt32 lo; SInt32 hi; } wide;
typedef struct UnsignedWide { UInt32 lo; UInt32 hi; } UnsignedWide;

typedef SInt32 Fixed;
typedef Fixed* FixedPtr;
typedef SInt32 Fract;
typedef Fract* FractPtr;
typedef UInt32 UnsignedFixed;
typedef UnsignedFixed* UnsignedFixedPtr;
typedef short ShortFixed;
typedef ShortFixed* ShortFixedPtr;

typedef float Float32;
typedef double Float64;
typedef struct Float32Point { Float32 x; Float32 y; } Float32Point;

typedef char* Ptr;
typedef Ptr* Handle;
typedef long Size;

typedef SInt16 OSErr;
typedef SInt32 OSStatus;
typedef void* LogicalAddress;
typedef const void* ConstLogicalAddress;
typedef void* PhysicalAddress;
typedef UInt8 Byte;
typedef SInt8 SignedByte;
typedef Byte* BytePtr;
typedef unsigned long ByteCount;
typedef unsigned long ByteOffset;
typedef SInt32 Duration;
typedef UnsignedWide AbsoluteTime;
typedef UInt32 OptionBits;
typedef unsigned long ItemCount;
typedef UInt32 PBVersion;
typedef SInt16 ScriptCode;
typedef SInt16 LangCode;
typedef SInt16 RegionCode;
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef FourCharCode ResType;
typedef OSType* OSTypePtr;
typedef ResType* ResTypePtr;

typedef unsigned char Boolean;

typedef long (*ProcPtr)(void);
typedef void (*Register68kProcPtr)(void);
typedef ProcPtr UniversalProcPtr;
typedef ProcPtr* ProcHandle;
typedef UniversalProcPtr* UniversalProcHandle;

typedef void* PRefCon;
typedef void* URefCon;
typedef void* SRefCon;

enum {
    noErr = 0
};

enum {
    kNilOptions = 0
};

enum {
    kInvalidID = 0
};

enum {
    kVariableLengthArray = 1
};

enum {
    kUnknownType = 0x3F3F3F3F /* '????' */
};

typedef UInt32 UnicodeScalarValue;
typedef UInt32 UTF32Char;
typedef UInt16 UniChar;
typedef UInt16 UTF16Char;
typedef UInt8 UTF8Char;
typedef UniChar* UniCharPtr;
typedef unsigned long UniCharCount;
typedef UniCharCount* UniCharCountPtr;

typedef unsigned char Str255[256];
typedef unsigned char Str63[64];
typedef unsigned char Str32[33];
typedef unsigned char Str31[32];
typedef unsigned char Str27[28];
typedef unsigned char Str15[16];
typedef unsigned char* StringPtr;
typedef StringPtr* StringHandle;
typedef const unsigned char* ConstStringPtr;
typedef const unsigned char* ConstStr255Param;
typedef const unsigned char* ConstStr63Param;
typedef const unsigned char* ConstStr31Param;
typedef const unsigned char* ConstStr32Param;
typedef const unsigned char* ConstStr27Param;
typedef const unsigned char* ConstStr15Param;

struct Point {
    short v;
    short h;
};
typedef struct Point Point;
typedef Point* PointPtr;

struct Rect {
    short top;
    short left;
    short bottom;
    short right;
};
typedef struct Rect Rect;
typedef Rect* RectPtr;

struct FixedPoint {
    Fixed x;
    Fixed y;
};
typedef struct FixedPoint FixedPoint;

struct FixedRect {
    Fixed left;
    Fixed top;
    Fixed right;
    Fixed bottom;
};
typedef struct FixedRect FixedRect;

typedef short CharParameter;

enum {
    developStage = 0x20,
    alphaStage = 0x40,
    betaStage = 0x60,
    finalStage = 0x80
};

struct NumVersion {
    UInt8 nonRelRev;
    UInt8 stage;
    UInt8 minorAndBugRev;
    UInt8 majorRev;
};
typedef struct NumVersion NumVersion;

union NumVersionVariant {
    NumVersion parts;
    UInt32 whole;
};
typedef union NumVersionVariant NumVersionVariant;

#ifdef __cplusplus
}
#endif

#endif /* __MACTYPES__ */
