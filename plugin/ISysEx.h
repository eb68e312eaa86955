#pragma once

#include <cstdint>

// One system-exclusive message. The bytes are not owned: they belong to whoever
// delivered the message and are valid only for the call that hands it over.
struct ISysEx
{
  int mOffset;            // sample position of the event inside the current block
  int mSize;              // number of bytes at mData
  const uint8_t* mData;

  explicit ISysEx(int offset = 0, const uint8_t* data = nullptr, int size = 0)
    : mOffset(offset), mSize(size), mData(data)
  {
  }

  void Clear();

  // Hands the message to the trace facility, which is off: no effect.
  void LogMsg() const;
};

// Writes the bytes as upper-case hex pairs separated by blanks, as many bytes as fit
// three characters each in maxLength (the blank after the last becomes the
// terminator). No data, no bytes or no room give "" (nothing at all is written when
// maxLength is below 1). Returns text.
char* SysExStr(char* text, int maxLength, const unsigned char* data, int size);
