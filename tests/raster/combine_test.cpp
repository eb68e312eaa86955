// The combining rules on chosen pixels, against their formulas written out in
// the test, at the saturation edges and the weights 0, 1, 128 and 256.

#include "raster_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

const int kWeights[] = {0, 1, 2, 64, 127, 128, 129, 192, 255, 256};
const int kChannels[] = {0, 1, 2, 127, 128, 129, 254, 255};

template <class Rule>
RAS_pixel Apply(RAS_pixel dst, RAS_pixel src, int w)
{
  RAS_pixel out = dst;
  Rule::doPix((unsigned char*)&out, RAS_GETR(src), RAS_GETG(src), RAS_GETB(src), RAS_GETA(src), w);
  return out;
}

// Every pairing of the chosen channel values, spread over the four channels.
std::vector<std::pair<RAS_pixel, RAS_pixel>> ChosenPairs()
{
  std::vector<std::pair<RAS_pixel, RAS_pixel>> v;
  for (int dv : kChannels)
    for (int sv : kChannels)
    {
      v.push_back({Px(dv, dv, dv, dv), Px(sv, sv, sv, sv)});
      v.push_back({Px(dv, 255 - dv, sv, 0), Px(sv, dv, 255 - sv, 255)});
      v.push_back({Px(sv, dv, 0, 255), Px(dv, sv, 255, dv)});
    }
  return v;
}

template <class Rule>
void ExpectMatchesOracle(int mode, const char* name, int maxWeight = 256)
{
  for (int w : kWeights)
  {
    if (w > maxWeight) continue;
    for (auto [d, s] : ChosenPairs())
      ASSERT_EQ(Apply<Rule>(d, s, w), OracleRulePx(mode, d, s, w))
          << name << " w=" << w << std::hex << " d=" << d << " s=" << s;
  }
}

TEST(CombineRules, EachRuleFollowsItsFormula)
{
  ExpectMatchesOracle<_RAS_CombinePixelsCopyNoClamp>(RAS_MODE_COPY, "copy");
  ExpectMatchesOracle<_RAS_CombinePixelsAdd>(RAS_MODE_ADD, "add");
  ExpectMatchesOracle<_RAS_CombinePixelsColorDodge>(RAS_MODE_DODGE, "dodge");
  ExpectMatchesOracle<_RAS_CombinePixelsMulNoClamp>(RAS_MODE_MUL, "mul");
  ExpectMatchesOracle<_RAS_CombinePixelsMulClamp>(RAS_MODE_MUL, "mul clamp");
  ExpectMatchesOracle<_RAS_CombinePixelsOverlay>(RAS_MODE_OVERLAY, "overlay");
  ExpectMatchesOracle<_RAS_CombinePixelsCopySourceAlphaNoClamp>(RAS_MODE_COPY | RAS_MODE_USE_ALPHA, "copy sa", 255);
  ExpectMatchesOracle<_RAS_CombinePixelsAddSourceAlpha>(RAS_MODE_ADD | RAS_MODE_USE_ALPHA, "add sa");
  ExpectMatchesOracle<_RAS_CombinePixelsColorDodgeSourceAlpha>(RAS_MODE_DODGE | RAS_MODE_USE_ALPHA, "dodge sa");
  ExpectMatchesOracle<_RAS_CombinePixelsMulSourceAlphaNoClamp>(RAS_MODE_MUL | RAS_MODE_USE_ALPHA, "mul sa");
  ExpectMatchesOracle<_RAS_CombinePixelsOverlaySourceAlpha>(RAS_MODE_OVERLAY | RAS_MODE_USE_ALPHA, "overlay sa");
  for (auto [d, s] : ChosenPairs())
    ASSERT_EQ(Apply<_RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(d, s, 256),
              OracleRulePx(RAS_MODE_COPY | RAS_MODE_USE_ALPHA, d, s, 256));
}

TEST(CombineRules, SaturationEdges)
{
  // Copy truncates toward zero: -127.5 becomes -127.
  EXPECT_EQ(ChanOf(Apply<_RAS_CombinePixelsCopyNoClamp>(Px(0, 0, 0, 0), Px(255, 255, 255, 255), 128), 1), 128);
  EXPECT_EQ(ChanOf(Apply<_RAS_CombinePixelsCopyNoClamp>(Px(255, 255, 255, 255), Px(0, 0, 0, 0), 128), 1), 127);
  // Add saturates at 255 and leaves 0 + 0 alone.
  EXPECT_EQ(Apply<_RAS_CombinePixelsAdd>(Px(200, 0, 255, 1), Px(100, 0, 255, 255), 256), Px(255, 0, 255, 255));
  // A weight of 1 adds s / 256: nothing below 256.
  EXPECT_EQ(Apply<_RAS_CombinePixelsAdd>(Px(10, 10, 10, 10), Px(255, 255, 255, 255), 1), Px(10, 10, 10, 10));
  // Dodge with a full source: 0 stays 0, anything else becomes 255.
  EXPECT_EQ(Apply<_RAS_CombinePixelsColorDodge>(Px(0, 1, 128, 255), Px(255, 255, 255, 255), 256),
            Px(0, 255, 255, 255));
  // Multiply by white at full weight keeps, by black clears.
  EXPECT_EQ(Apply<_RAS_CombinePixelsMulNoClamp>(Px(1, 128, 255, 77), Px(255, 255, 255, 255), 256),
            Px(0, 127, 254, 76));
  EXPECT_EQ(Apply<_RAS_CombinePixelsMulNoClamp>(Px(1, 128, 255, 77), Px(0, 0, 0, 0), 256), Px(0, 0, 0, 0));
  // Overlay keeps 0 whatever the source; 255 under a white source stays, under
  // black it truncates to 254.
  EXPECT_EQ(Apply<_RAS_CombinePixelsOverlay>(Px(0, 255, 255, 0), Px(0, 255, 0, 255), 256), Px(0, 255, 254, 0));
  // Weight 0 leaves every rule's destination alone.
  for (auto [d, s] : ChosenPairs())
  {
    EXPECT_EQ(Apply<_RAS_CombinePixelsCopyNoClamp>(d, s, 0), d);
    EXPECT_EQ(Apply<_RAS_CombinePixelsAdd>(d, s, 0), d);
    EXPECT_EQ(Apply<_RAS_CombinePixelsMulNoClamp>(d, s, 0), d);
  }
}

TEST(CombineRules, SourceAlphaEdges)
{
  const RAS_pixel d = Px(10, 20, 30, 40);
  EXPECT_EQ(Apply<_RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(d, Px(200, 100, 50, 0), 256), d);
  EXPECT_EQ(Apply<_RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(d, Px(200, 100, 50, 255), 256),
            Px(200, 100, 50, 255));
  EXPECT_EQ(Apply<_RAS_CombinePixelsCopySourceAlphaNoClamp>(d, Px(200, 100, 50, 0), 128), d);
  EXPECT_EQ(Apply<_RAS_CombinePixelsAddSourceAlpha>(d, Px(200, 100, 50, 0), 256), d);
  EXPECT_EQ(Apply<_RAS_CombinePixelsMulSourceAlphaNoClamp>(d, Px(0, 0, 0, 0), 256), d);
  // Dodge applies even at source alpha 0 (the weight becomes 1).
  EXPECT_EQ(Apply<_RAS_CombinePixelsColorDodgeSourceAlpha>(d, Px(255, 255, 255, 0), 256),
            OracleRulePx(RAS_MODE_DODGE | RAS_MODE_USE_ALPHA, d, Px(255, 255, 255, 0), 256));
  // The clamped variant clamps out-of-range source channels.
  RAS_pixel p = d;
  _RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp::doPix((unsigned char*)&p, 300, -5, 128, 255, 256);
  EXPECT_EQ(p, Px(255, 0, 128, 255));
}

TEST(CombineRules, WholeWordMixes)
{
  EXPECT_EQ(_RAS_CombinePixelsHalfMixFAST::doPix(0, 0xFFFFFFFF), 0x7F7F7F7Fu);
  const RAS_pixel c = Px(200, 100, 40, 255), d = Px(0, 80, 255, 0);
  const RAS_pixel h = (c >> 1) & 0x7F7F7F7F, q = (c >> 2) & 0x3F3F3F3F;
  for (int ch = 0; ch < 4; ch++)
  {
    const int dc = ChanOf(d, ch), cc = ChanOf(c, ch);
    EXPECT_EQ(ChanOf(_RAS_CombinePixelsHalfMix2FAST::doPix(d, h), ch), (dc >> 1) + (cc >> 1));
    EXPECT_EQ(ChanOf(_RAS_CombinePixelsQuarterMix2FAST::doPix(d, q), ch), (cc >> 2) + (dc >> 1) + (dc >> 2));
    EXPECT_EQ(ChanOf(_RAS_CombinePixelsThreeQuarterMix2FAST::doPix(d, h + q), ch), (cc >> 1) + (cc >> 2) + (dc >> 2));
  }
}

// HSV adjustment restated from its definition.
RAS_pixel OracleHSV(RAS_pixel dst, int r, int g, int b, int a, int w)
{
  const int R = ChanOf(dst, 1), G = ChanOf(dst, 2), B = ChanOf(dst, 3);
  auto inv = [](int i) { return i == 0 ? 0 : 65536 / i - 1; };
  int base, n, delta, V;
  if (R < G && B < G) { base = 128; n = B - R; delta = G - std::min(B, R); V = G; }
  else if (R < G) { base = 256; n = R - G; delta = B - std::min(G, R); V = B; }
  else if (B < R) { base = G < B ? 383 : 0; n = G - B; delta = R - std::min(G, B); V = R; }
  else { base = 256; n = R - G; delta = B - std::min(G, R); V = B; }
  int H = base + Tz((long long)n * (inv(delta) + 1), 1024);
  int S = Tz((long long)delta * inv(V), 256);
  H += Tz((long long)w * (r + Tz(r, 2) - 192), 256);
  H = ((H % 384) + 384) % 384;
  S = Clamp8(S + Tz((long long)w * (g - 128), 128));
  V = Clamp8(V + Tz((long long)w * (b - 128), 128));
  const int k = 16384, p = Tz(V * (256 - S), 256);
  int o[3];
  if (H < 64) { o[0] = V; o[1] = Tz(V * (k - S * (64 - H)), k); o[2] = p; }
  else if (H < 128) { o[0] = Tz(V * (k + S * (64 - H)), k); o[1] = V; o[2] = p; }
  else if (H < 192) { o[0] = p; o[1] = V; o[2] = Tz(V * (k - S * (192 - H)), k); }
  else if (H < 256) { o[0] = p; o[1] = Tz(V * (k + S * (192 - H)), k); o[2] = V; }
  else if (H < 320) { o[0] = Tz(V * (k - S * (320 - H)), k); o[1] = p; o[2] = V; }
  else { o[0] = V; o[1] = p; o[2] = Tz(V * (k + S * (320 - H)), k); }
  return Px(o[0], o[1], o[2], a & 0xFF);
}

TEST(CombineRules, HSVAdjust)
{
  std::mt19937 rng(7);
  for (int i = 0; i < 20000; i++)
  {
    const RAS_pixel d = (RAS_pixel)rng(), s = (RAS_pixel)rng();
    const int w = kWeights[i % 10];
    ASSERT_EQ(Apply<_RAS_CombinePixelsHSVAdjust>(d, s, w),
              OracleHSV(d, RAS_GETR(s), RAS_GETG(s), RAS_GETB(s), RAS_GETA(s), w))
        << std::hex << d << " " << s << " " << std::dec << w;
  }
  // Neutral amounts (r = 128 turns by 0) keep a pure red pure.
  EXPECT_EQ(Apply<_RAS_CombinePixelsHSVAdjust>(Px(255, 0, 0, 9), Px(128, 128, 128, 77), 256), Px(255, 0, 0, 77));
  // r = 0 turns the hue by -192: red becomes cyan; saturation and value stay.
  EXPECT_EQ(Apply<_RAS_CombinePixelsHSVAdjust>(Px(255, 0, 0, 0), Px(0, 128, 128, 0), 256), Px(0, 255, 255, 0));
  // Weights far above 256 still wrap the hue into range.
  RAS_pixel p = Px(200, 30, 90, 0);
  _RAS_CombinePixelsHSVAdjust::doPix((unsigned char*)&p, 255, 128, 128, 0, 65536);
  EXPECT_EQ(p, OracleHSV(Px(200, 30, 90, 0), 255, 128, 128, 0, 65536));
}

TEST(CombinePixels, DispatchAndFastCases)
{
  const RAS_pixel d = Px(10, 20, 30, 40), s = Px(200, 100, 50, 128);
  EXPECT_EQ(RAS_CombinePixels(d, s, 1.0f, RAS_MODE_COPY), s);
  EXPECT_EQ(RAS_CombinePixels(d, s, 0.0f, RAS_MODE_ADD), d);
  EXPECT_EQ(RAS_CombinePixels(d, s, 0.5f, RAS_MODE_COPY), OracleRulePx(RAS_MODE_COPY, d, s, 128));
  EXPECT_EQ(RAS_CombinePixels(d, s, 0.75f, RAS_MODE_ADD), OracleRulePx(RAS_MODE_ADD, d, s, 192));
  EXPECT_EQ(RAS_CombinePixels(d, s, 0.3f, RAS_MODE_MUL), OracleRulePx(RAS_MODE_MUL, d, s, 76));
  EXPECT_EQ(RAS_CombinePixels(d, s, 1.0f, 6), d);
  EXPECT_EQ(RAS_CombinePixels(d, s, 1.0f, RAS_MODE_CHANNEL_COPY | 5), d);
  // Source alpha: 0 keeps the destination, 255 gives the source, opaque.
  EXPECT_EQ(RAS_CombinePixels(d, Px(1, 2, 3, 0), 1.0f, RAS_MODE_COPY | RAS_MODE_USE_ALPHA), d);
  EXPECT_EQ(RAS_CombinePixels(d, Px(1, 2, 3, 255), 1.0f, RAS_MODE_COPY | RAS_MODE_USE_ALPHA), Px(1, 2, 3, 255));
  EXPECT_EQ(RAS_CombinePixels(d, s, 0.5f, RAS_MODE_COPY | RAS_MODE_USE_ALPHA),
            OracleRulePx(RAS_MODE_COPY | RAS_MODE_USE_ALPHA, d, s, 128));
}

TEST(CombinePixels, WeightIsSaneForAnyAlpha)
{
  const RAS_pixel d = Px(10, 20, 30, 40), s = Px(200, 100, 50, 128);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (int mode : {RAS_MODE_COPY, RAS_MODE_ADD, RAS_MODE_DODGE, RAS_MODE_MUL, RAS_MODE_OVERLAY, RAS_MODE_HSVADJUST})
  {
    EXPECT_EQ(RAS_CombinePixels(d, s, nan, mode), d) << mode;
    EXPECT_EQ(RAS_CombinePixels(d, s, nan, mode | RAS_MODE_USE_ALPHA), d) << mode;
  }
  // Copy and multiply limit the weight to [0, 256]: no colours wrap around.
  EXPECT_EQ(RAS_CombinePixels(d, s, 1.5f, RAS_MODE_COPY), s);
  EXPECT_EQ(RAS_CombinePixels(d, s, -1.0f, RAS_MODE_COPY), d);
  EXPECT_EQ(RAS_CombinePixels(d, s, 3.0f, RAS_MODE_MUL), OracleRulePx(RAS_MODE_MUL, d, s, 256));
  EXPECT_EQ(RAS_CombinePixels(d, s, -2.0f, RAS_MODE_MUL), d);
  EXPECT_EQ(RAS_CombinePixels(d, s, 1e30f, RAS_MODE_COPY | RAS_MODE_USE_ALPHA),
            OracleRulePx(RAS_MODE_COPY | RAS_MODE_USE_ALPHA, d, s, 256));
  // The clamping rules keep working with large weights: add saturates.
  EXPECT_EQ(RAS_CombinePixels(d, s, 2.0f, RAS_MODE_ADD), OracleRulePx(RAS_MODE_ADD, d, s, 512));
  EXPECT_EQ(RAS_CombinePixels(d, s, 1e30f, RAS_MODE_ADD), Px(255, 255, 255, 255));
  EXPECT_EQ(RAS_CombinePixels(d, s, -1e30f, RAS_MODE_ADD), Px(0, 0, 0, 0));
  EXPECT_EQ(RAS_CombinePixels(d, s, 4.0f, RAS_MODE_OVERLAY), OracleRulePx(RAS_MODE_OVERLAY, d, s, 1024));
  EXPECT_EQ(RAS_CombinePixels(d, s, 1e30f, RAS_MODE_HSVADJUST),
            OracleHSV(d, RAS_GETR(s), RAS_GETG(s), RAS_GETB(s), RAS_GETA(s), RAS_WEIGHT_LIMIT));
}

TEST(CombinePixels2, InPlaceVariants)
{
  RAS_pixel p = Px(10, 20, 30, 40);
  RAS_CombinePixels2(&p, 200, 100, 50, 128, 0, RAS_MODE_COPY);
  EXPECT_EQ(p, Px(10, 20, 30, 40));
  RAS_CombinePixels2(&p, 200, 100, 50, 128, 256, RAS_MODE_COPY);
  EXPECT_EQ(p, Px(200, 100, 50, 128));
  // Non-clamping stores the low 8 bits, the clamping variant clamps.
  p = 0;
  RAS_CombinePixels2(&p, 300, -1, 50, 128, 256, RAS_MODE_COPY);
  EXPECT_EQ(p, Px(300 & 255, 255, 50, 128));
  p = 0;
  RAS_CombinePixels2Clamp(&p, 300, -1, 50, 128, 256, RAS_MODE_COPY);
  EXPECT_EQ(p, Px(255, 0, 50, 128));
  p = Px(100, 100, 100, 100);
  RAS_CombinePixels2Clamp(&p, 600, -400, 0, 0, 128, RAS_MODE_MUL);
  EXPECT_EQ(p, Px(Clamp8(100LL * (600 * 128 + 128 * 256) / 65536), 0, 50, 50));
  // Huge or absurd arguments stay defined and leave in-range results.
  p = Px(1, 2, 3, 4);
  RAS_CombinePixels2Clamp(&p, 1 << 30, -(1 << 30), 1 << 30, 1 << 30, 1 << 30, RAS_MODE_OVERLAY);
  RAS_CombinePixels2Clamp(&p, 1 << 30, -(1 << 30), 1 << 30, 1 << 30, -(1 << 30), RAS_MODE_MUL);
  RAS_CombinePixels2(&p, 1 << 30, -(1 << 30), 1 << 30, 1 << 30, 1 << 30, RAS_MODE_HSVADJUST | RAS_MODE_USE_ALPHA);
  RAS_CombinePixels2(nullptr, 1, 2, 3, 4, 256, RAS_MODE_ADD);
}

// Catches the clamping in-place variant holding copy and multiply to weights
// in [0, 256] as the wrapping variant must: its rules clamp, so a weight above
// 256 extrapolates and a negative one scales the other way. Values worked out
// by hand from the copy and multiply formulas for d = 128, s = 200.
TEST(CombinePixels2, ClampingCopyAndMultiplyKeepWeightsOutsideTheUnitRange)
{
  RAS_pixel p = 0x80808080;
  RAS_CombinePixels2Clamp(&p, 200, 200, 200, 200, 512, RAS_MODE_COPY);  // 200 + 72 clamped
  EXPECT_EQ(p, 0xffffffffu);
  p = 0x80808080;
  RAS_CombinePixels2Clamp(&p, 200, 200, 200, 200, -128, RAS_MODE_MUL);  // 128 * 72704 / 65536
  EXPECT_EQ(p, 0x8e8e8e8eu);
  p = 0x80808080;
  RAS_CombinePixels2Clamp(&p, 200, 200, 200, 200, 300, RAS_MODE_MUL);  // 128 * 48736 / 65536
  EXPECT_EQ(p, 0x5f5f5f5fu);
  // The wrapping variant still limits: 512 is a plain copy.
  p = 0x80808080;
  RAS_CombinePixels2(&p, 200, 200, 200, 200, 512, RAS_MODE_COPY);
  EXPECT_EQ(p, 0xc8c8c8c8u);
}

} // namespace
