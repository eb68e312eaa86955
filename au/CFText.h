#pragma once

#include <CoreFoundation/CoreFoundation.h>

// Text crossing between the plug-in (UTF-8 char fields) and the host (CF
// strings). Any thread; they allocate (the platform's strings).

// Length in bytes of the longest prefix of text, at most maxBytes long, that
// consists of whole, well-formed UTF-8 characters.
int ValidUTF8PrefixLength(const char* text, int maxBytes);

// A new string of the UTF-8 text, owned by the caller. A malformed tail is left
// out and null text gives "", so the result is null only when memory runs out.
CFStringRef MakeCFString(const char* text);

// Writes the string's UTF-8 form into text (size bytes, terminator included),
// cut at a whole character when it does not fit. False, with text "", for a
// null or non-string object.
bool CopyCFStringToUTF8(CFTypeRef str, char* text, int size);
