// Draws random lines, curves and shapes with random arguments (small values
// mostly, raw bit patterns sometimes: huge, negative, NaN, infinite) into a
// small bitmap framed by guard pixels, plain or flipped, and aborts when any
// pixel outside the image changes. AddressSanitizer catches reads past a
// polygon's points; the fuzzer's timeout catches loops that do not end.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "raster/raster.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/raster/shape_test_util.h"

namespace
{
struct Input : FuzzInput
{
  // Mostly a value around the bitmap in quarter pixels, sometimes any float.
  float F()
  {
    if (Byte() < 224) return (float)((int)Byte() - 64) / 4.0f;
    const uint32_t bits = Raw();
    float f;
    memcpy(&f, &bits, sizeof f);
    return f;
  }
  int I()
  {
    if (Byte() < 224) return (int)Byte() - 64;
    return (int)Raw();
  }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  Input in{{data, size}};
  const int shape = in.Byte() % 17;
  const bool flipped = in.Byte() & 1;
  GuardedBitmap bm(1 + in.Byte() % 40, 1 + in.Byte() % 40, flipped);
  const int mode = in.Byte() % 8;
  const float alpha = in.Byte() < 240 ? (float)in.Byte() / 128.0f : in.F();
  const RAS_pixel colour = in.Raw();
  const bool aa = in.Byte() & 1;
  switch (shape)
  {
    case 0: RAS_Line(&bm, in.I(), in.I(), in.I(), in.I(), colour, alpha, mode, aa); break;
    case 1: RAS_FLine(&bm, in.F(), in.F(), in.F(), in.F(), colour, alpha, mode, aa); break;
    case 2: RAS_DashedLine(&bm, in.I(), in.I(), in.I(), in.I(), in.I(), in.I(), colour, alpha, mode, aa); break;
    case 3:
    {
      int c[4] = {in.I(), in.I(), in.I(), in.I()};
      RAS_ClipLine(&c[0], &c[1], &c[2], &c[3], in.I(), in.I(), in.I(), in.I());
      float f[4] = {in.F(), in.F(), in.F(), in.F()};
      RAS_ClipFLine(&f[0], &f[1], &f[2], &f[3], in.F(), in.F(), in.F(), in.F());
      break;
    }
    case 4: RAS_DrawRect(&bm, in.I(), in.I(), in.I(), in.I(), colour, alpha, mode); break;
    case 5: RAS_BorderedRect(&bm, in.I(), in.I(), in.I(), in.I(), colour, ~colour, alpha, mode); break;
    case 6:
      RAS_DrawQBezier(&bm, in.F(), in.F(), in.F(), in.F(), in.F(), in.F(), colour, alpha, mode, aa, in.F());
      break;
    case 7:
      RAS_DrawCBezier(&bm, in.F(), in.F(), in.F(), in.F(), in.F(), in.F(), in.F(), in.F(), colour, alpha, mode, aa,
                      in.F());
      break;
    case 8: RAS_Circle(&bm, in.F(), in.F(), in.F(), colour, alpha, mode, aa); break;
    case 9: RAS_FillCircle(&bm, in.F(), in.F(), in.F(), colour, alpha, mode, aa); break;
    case 10: RAS_Arc(&bm, in.F(), in.F(), in.F(), in.F(), in.F(), colour, alpha, mode, aa); break;
    case 11: RAS_RoundRect(&bm, in.F(), in.F(), in.F(), in.F(), in.I(), colour, alpha, mode, aa); break;
    case 12: RAS_FillTrapezoid(&bm, in.I(), in.I(), in.I(), in.I(), in.I(), in.I(), colour, alpha, mode); break;
    case 13:
    {
      // Exactly as many points as the count says, so that ASan sees any
      // read past them.
      const int count = in.Byte() % 12;
      std::vector<int> xs(count), ys(count);
      for (int i = 0; i < count; i++)
      {
        xs[i] = in.I();
        ys[i] = in.I();
      }
      RAS_FillConvexPolygon(&bm, xs.data(), ys.data(), count, colour, alpha, mode);
      break;
    }
    case 14: RAS_FillTriangle(&bm, in.I(), in.I(), in.I(), in.I(), in.I(), in.I(), colour, alpha, mode); break;
    case 15:
      RAS_GradRect(&bm, in.I(), in.I(), in.I(), in.I(), in.F(), in.F(), in.F(), in.F(), in.F(), in.F(), in.F(), in.F(),
                   in.F(), in.F(), in.F(), in.F(), mode);
      break;
    default:
      if (in.Byte() & 1)
        RAS_FillCBezier(&bm, in.F(), in.F(), in.F(), in.F(), in.F(), in.F(), in.F(), in.F(), in.I(), colour, alpha,
                        mode, in.F());
      else
        RAS_FillCBezierX(&bm, in.F(), in.F(), in.F(), in.F(), in.F(), in.F(), in.F(), in.F(), in.I(), colour, alpha,
                         mode, in.F());
      break;
  }
  if (!bm.GuardsIntact()) abort();
  return 0;
}
