// Feeds arbitrary bytes to the bank-file loader, for a plug-in with and without
// state chunks. A refused bank must change nothing; an accepted one leaves every
// parameter inside its range and every preset name terminated.

#include "tests/fuzz/FuzzPlug.h"

#include <cstdint>
#include <cstring>

namespace
{
void Run(const ByteChunk& file, bool chunks)
{
  FuzzPlug f(3, chunks);
  f.CheckLoad(f.plug.LoadFXBChunk(&file));
  for (int i = 0; i < f.plug.NPresets(); ++i) FuzzCheck(strlen(f.plug.GetPresetName(i)) < MAX_PRESET_NAME_LEN);
  ByteChunk out;
  FuzzCheck(f.plug.MakeFXBChunk(&out));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > (1 << 20)) return 0;
  ByteChunk file;
  FuzzCheck(file.PutBytes(data, (int)size));
  Run(file, false);
  Run(file, true);
  // The same tail behind a header that passes the magic and id checks.
  if (size >= 32)
  {
    ByteChunk fixed;
    const unsigned char head[] = {'C', 'c', 'n', 'K', 0, 0, 0, 0};
    fixed.PutBytes(head, 8);
    fixed.PutBytes(data + 8, 8);
    const unsigned char id[] = {'o', 'r', 'v', '5'};
    fixed.PutBytes(id, 4);
    fixed.PutBytes(data + 20, (int)size - 20);
    Run(fixed, false);
    Run(fixed, true);
  }
  return 0;
}
