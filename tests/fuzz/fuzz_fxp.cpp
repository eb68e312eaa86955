// Feeds arbitrary bytes to the program-file loader, for a plug-in with and
// without state chunks. A refused file must change nothing; an accepted one
// leaves every parameter inside its range and the plug-in able to save again.

#include "tests/fuzz/FuzzPlug.h"

#include <cstdint>
#include <cstring>

namespace
{
void Run(const ByteChunk& file, bool chunks)
{
  FuzzPlug f(2, chunks);
  f.CheckLoad(f.plug.LoadFXPChunk(&file));
  FuzzCheck(strlen(f.plug.GetPresetName(0)) < MAX_PRESET_NAME_LEN);
  ByteChunk out;
  FuzzCheck(f.plug.MakeFXPChunk(&out));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > (1 << 20)) return 0;
  ByteChunk file;
  FuzzCheck(file.PutBytes(data, (int)size));
  // Most inputs would die at the id check: give the mutator a head start by
  // also trying the input with a valid header in front of its tail.
  Run(file, false);
  Run(file, true);
  if (size >= 28)
  {
    ByteChunk fixed;
    const unsigned char head[] = {'C', 'c', 'n', 'K', 0, 0, 0, 0};
    fixed.PutBytes(head, 8);
    fixed.PutBytes(data + 8, 4);
    const unsigned char mid[] = {0, 0, 0, 1, 'o', 'r', 'v', '5'};
    fixed.PutBytes(mid, 8);
    fixed.PutBytes(data + 20, 4);
    const unsigned char count[] = {0, 0, 0, 5};
    fixed.PutBytes(count, 4);
    fixed.PutBytes(data + 28, (int)size - 28);
    Run(fixed, false);
    Run(fixed, true);
  }
  return 0;
}
