// Feeds arbitrary bytes to the state and preset-list readers as a saved host
// document would. Parameters must stay inside their ranges (never NaN), reads
// must stay inside the chunk, and whatever is accepted must serialise again.

#include "tests/plugin/TestPlug.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace
{
void Check(bool ok)
{
  if (!ok) abort();
}

void CheckParams(const TestPlug& plug)
{
  for (int i = 0; i < plug.NParams(); ++i)
  {
    const IParam* p = plug.GetParam(i);
    Check(!std::isnan(p->Value()) && p->Value() >= p->GetMin() && p->Value() <= p->GetMax());
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > (1 << 20)) return 0;
  ByteChunk chunk;
  Check(chunk.PutBytes(data, (int)size));

  {
    TestPlug plug(5, "1-1 2-2", 3);
    plug.InitAmpParams();
    const int pos = plug.UnserializeState(&chunk, 0);
    Check(pos == -1 || (pos >= 0 && pos <= chunk.Size()));
    CheckParams(plug);
    if (size >= 40) plug.CompareState(chunk.GetData(), 0);
    ByteChunk out;
    Check(plug.SerializeState(&out) && out.Size() == 40);
  }

  {
    TestPlug plug(5, "1-1 2-2", 4);
    plug.InitAmpParams();
    plug.MakePreset("Dirty", 0.5, 0.3, 0.5, 0.5, 1);
    int start = 0;
    IFxBase::GetIFxVerFromChunk(&chunk, &start);
    Check(start == -1 || start == 0 || start == 8);
    plug.UnserializePresets(&chunk, start);
    CheckParams(plug);
    for (int i = 0; i < plug.NPresets(); ++i) Check(strlen(plug.GetPresetName(i)) < MAX_PRESET_NAME_LEN);
    ByteChunk out;
    Check(plug.SerializePresets(&out));
  }

  // The string reader on its own, at every position.
  for (int pos = 0; pos < (int)size && pos < 64; ++pos)
  {
    KIT_String s;
    const int next = chunk.GetStr(&s, pos);
    Check(next == -1 || next >= pos + 4);
  }
  return 0;
}
