// Feeds arbitrary bytes to the program-file loader, for a plug-in with and
// without state chunks. A refused file must change nothing; an accepted one
// leaves every parameter inside its range and the plug-in able to save again.

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

void Run(const ByteChunk& file, bool chunks)
{
  TestPlug plug(5, "1-1 2-2", 2, chunks);
  plug.InitAmpParams();
  plug.MakePreset("Dirty", 0.5, 0.3, 0.5, 0.5, 1);
  const std::vector<double> before = plug.Values();
  ByteChunk state;
  plug.SerializePresets(&state);

  const bool ok = plug.LoadFXPChunk(&file);
  if (!ok)
  {
    ByteChunk after;
    plug.SerializePresets(&after);
    Check(plug.Values() == before && after.IsEqual(&state) && plug.mProgramChanges == 0);
  }
  for (int i = 0; i < plug.NParams(); ++i)
  {
    const IParam* p = plug.GetParam(i);
    Check(!std::isnan(p->Value()) && p->Value() >= p->GetMin() && p->Value() <= p->GetMax());
  }
  Check(strlen(plug.GetPresetName(0)) < MAX_PRESET_NAME_LEN);
  ByteChunk out;
  Check(plug.MakeFXPChunk(&out));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > (1 << 20)) return 0;
  ByteChunk file;
  Check(file.PutBytes(data, (int)size));
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
