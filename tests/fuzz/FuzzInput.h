#pragma once

// Fuzzer bytes read as a stream of values; past the end every byte reads 0,
// so a short input still drives a whole run.

#include <cstddef>
#include <cstdint>

struct FuzzInput
{
  const uint8_t* data;
  size_t size;

  uint8_t Byte()
  {
    if (!size) return 0;
    size--;
    return *data++;
  }
  // Four bytes, most significant first.
  uint32_t Raw()
  {
    uint32_t v = 0;
    for (int i = 0; i < 4; i++) v = v << 8 | Byte();
    return v;
  }
};
