#pragma once

// The plug-in the program- and bank-file fuzzers load into, with what it held
// before the load so that a refused file can be checked to change nothing.

#include "tests/plugin/TestPlug.h"

#include <cmath>
#include <cstdlib>
#include <vector>

inline void FuzzCheck(bool ok)
{
  if (!ok) abort();
}

struct FuzzPlug
{
  TestPlug plug;
  std::vector<double> before;
  ByteChunk state;

  FuzzPlug(int nPresets, bool chunks) : plug(5, "1-1 2-2", nPresets, chunks)
  {
    plug.InitAmpParams();
    plug.MakePreset("Dirty", 0.5, 0.3, 0.5, 0.5, 1);
    before = plug.Values();
    plug.SerializePresets(&state);
  }

  // A refused load must leave values, presets and program unchanged; after
  // any load every parameter lies inside its range.
  void CheckLoad(bool ok)
  {
    if (!ok)
    {
      ByteChunk after;
      plug.SerializePresets(&after);
      FuzzCheck(plug.Values() == before && after.IsEqual(&state) && plug.mProgramChanges == 0);
    }
    for (int i = 0; i < plug.NParams(); ++i)
    {
      const IParam* p = plug.GetParam(i);
      FuzzCheck(!std::isnan(p->Value()) && p->Value() >= p->GetMin() && p->Value() <= p->GetMax());
    }
  }
};
