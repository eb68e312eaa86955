#pragma once

#include <CoreFoundation/CoreFoundation.h>

class ByteChunk;

// Reading and writing the entries of a saved-state dictionary. Keys and text
// values are UTF-8. Nothing null is ever stored: an entry whose object cannot
// be made is left out. Host UI thread; they allocate.

// Sets key to a new string of value and releases what it made.
void PutStrInDict(CFMutableDictionaryRef dict, const char* key, const char* value);
// Sets key to a new 32-bit integer number and releases what it made.
void PutNumberInDict(CFMutableDictionaryRef dict, const char* key, SInt32 value);
// Sets key to a new data object with the chunk's bytes and releases what it made.
void PutDataInDict(CFMutableDictionaryRef dict, const char* key, const ByteChunk* pChunk);

// The object stored under key, or null.
CFTypeRef GetValueFromDict(CFDictionaryRef dict, const char* key);
// True when key holds a string: its UTF-8 form goes into value (size bytes,
// cut at a whole character). Otherwise value is "" and the result false.
bool GetStrFromDict(CFDictionaryRef dict, const char* key, char* value, int size);
// True when key holds a number that converts to a 32-bit integer.
bool GetNumberFromDict(CFDictionaryRef dict, const char* key, SInt32* pValue);
// True when key holds a data object and the chunk now holds its bytes;
// otherwise the chunk is left alone.
bool GetDataFromDict(CFDictionaryRef dict, const char* key, ByteChunk* pChunk);
