#pragma once

// Standard Base64 (alphabet A-Z a-z 0-9 + /, "=" padding), as preset blobs use it.

// Characters Base64Encode writes for nBytes bytes, terminator excluded; -1 when
// nBytes is negative or the text would not fit an int.
int Base64EncodedLength(int nBytes);

// Writes the encoding of nBytes bytes and a terminator into text, which holds
// Base64EncodedLength(nBytes) + 1 chars.
void Base64Encode(const unsigned char* data, int nBytes, char* text);

// Decodes text into out, stopping at the first character outside the alphabet
// (the padding, the terminator or anything else) and never writing more than
// outSize bytes. Bytes of out beyond those decoded are left alone. Returns the
// number of bytes written. A null text decodes to nothing.
int Base64Decode(const char* text, unsigned char* out, int outSize);
