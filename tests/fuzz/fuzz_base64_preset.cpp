// Preset blobs: the first two bytes give the chunk size, the rest is the Base64
// text. The decoder must never write past the size it was given, a preset made
// from a blob must restore without leaving its parameters' ranges, and any
// bytes must survive an encode/decode round trip unchanged.

#include "plugin/Base64.h"
#include "tests/plugin/TestPlug.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
void Check(bool ok)
{
  if (!ok) abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 2 || size > (1 << 16)) return 0;
  const int sizeOfChunk = data[0] | data[1] << 8;
  std::vector<char> text(data + 2, data + size);
  text.push_back(0);

  // Decoding straight into a buffer of exactly the size: ASan catches any overrun.
  std::vector<unsigned char> out((size_t)sizeOfChunk);
  const int n = Base64Decode(text.data(), out.data(), sizeOfChunk);
  Check(n >= 0 && n <= sizeOfChunk);

  TestPlug plug(5, "1-1 2-2", 2);
  plug.InitAmpParams();
  Check(plug.MakePresetFromBlob("Blob", text.data(), sizeOfChunk));
  Check(plug.GetPreset(0)->mChunk.Size() == sizeOfChunk);
  plug.RestorePreset(0);
  for (int i = 0; i < plug.NParams(); ++i)
  {
    const IParam* p = plug.GetParam(i);
    Check(!std::isnan(p->Value()) && p->Value() >= p->GetMin() && p->Value() <= p->GetMax());
  }

  const int raw = (int)size - 2;
  std::vector<char> encoded((size_t)Base64EncodedLength(raw) + 1);
  Base64Encode(data + 2, raw, encoded.data());
  Check(strlen(encoded.data()) == (size_t)Base64EncodedLength(raw));
  std::vector<unsigned char> back((size_t)raw + 1);
  Check(Base64Decode(encoded.data(), back.data(), raw) == raw);
  Check(raw == 0 || memcmp(back.data(), data + 2, (size_t)raw) == 0);
  return 0;
}
