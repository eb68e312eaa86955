// Feeds arbitrary bytes to the bank-file loader, for a plug-in with and without
// state chunks. A refused bank must change nothing; an accepted one leaves every
// parameter inside its range and every preset name terminated.

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
  TestPlug plug(5, "1-1 2-2", 3, chunks);
  plug.InitAmpParams();
  plug.MakePreset("Dirty", 0.5, 0.3, 0.5, 0.5, 1);
  const std::vector<double> before = plug.Values();
  ByteChunk state;
  plug.SerializePresets(&state);

  const bool ok = plug.LoadFXBChunk(&file);
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
  for (int i = 0; i < plug.NPresets(); ++i) Check(strlen(plug.GetPresetName(i)) < MAX_PRESET_NAME_LEN);
  ByteChunk out;
  Check(plug.MakeFXBChunk(&out));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > (1 << 20)) return 0;
  ByteChunk file;
  Check(file.PutBytes(data, (int)size));
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
