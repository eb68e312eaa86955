#ifndef CTATTRIBUTEDSTRING_H_
#define CTATTRIBUTEDSTRING_H_

// CFAttributedString: text with attribute dictionaries over ranges of it.
// CoreFoundation offers it on the platform; here it lives with the text
// layout that reads it. Values of the attribute dictionaries that are
// CoreGraphics or CoreText objects are kept alive by the string.

#include <CoreGraphics/CGBase.h>

typedef const struct __CFAttributedString* CFAttributedStringRef;
typedef struct __CFAttributedString* CFMutableAttributedStringRef;

CG_EXTERN_C_BEGIN

CFTypeID CFAttributedStringGetTypeID(void);
// The whole string carries attributes (which may be NULL for none).
CFAttributedStringRef CFAttributedStringCreate(CFAllocatorRef alloc, CFStringRef str, CFDictionaryRef attributes);
CFAttributedStringRef CFAttributedStringCreateCopy(CFAllocatorRef alloc, CFAttributedStringRef aStr);
CFMutableAttributedStringRef CFAttributedStringCreateMutable(CFAllocatorRef alloc, CFIndex maxLength);
CFMutableAttributedStringRef CFAttributedStringCreateMutableCopy(CFAllocatorRef alloc, CFIndex maxLength,
                                                                 CFAttributedStringRef aStr);
CFStringRef CFAttributedStringGetString(CFAttributedStringRef aStr);
CFIndex CFAttributedStringGetLength(CFAttributedStringRef aStr);
// The attributes at loc; effectiveRange (when given) receives the run they cover.
CFDictionaryRef CFAttributedStringGetAttributes(CFAttributedStringRef aStr, CFIndex loc, CFRange* effectiveRange);
CFTypeRef CFAttributedStringGetAttribute(CFAttributedStringRef aStr, CFIndex loc, CFStringRef attrName,
                                         CFRange* effectiveRange);
// The replaced characters' attributes vanish; inserted text takes the
// attributes of the character before it (or after it at the start).
void CFAttributedStringReplaceString(CFMutableAttributedStringRef aStr, CFRange range, CFStringRef replacement);
void CFAttributedStringSetAttributes(CFMutableAttributedStringRef aStr, CFRange range, CFDictionaryRef replacement,
                                     Boolean clearOtherAttributes);
void CFAttributedStringSetAttribute(CFMutableAttributedStringRef aStr, CFRange range, CFStringRef attrName,
                                    CFTypeRef value);
void CFAttributedStringRemoveAttribute(CFMutableAttributedStringRef aStr, CFRange range, CFStringRef attrName);
void CFAttributedStringBeginEditing(CFMutableAttributedStringRef aStr);
void CFAttributedStringEndEditing(CFMutableAttributedStringRef aStr);

CG_EXTERN_C_END

#endif
