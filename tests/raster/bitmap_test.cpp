// Memory bitmaps and the whole-bitmap and rectangle operations: sizes that
// are zero, negative, overflowing or unallocatable, clipping far outside the
// bitmap, flipped bitmaps.

#include "raster_test_util.h"
#include "plugin/AllocHooks.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <limits>
#include <sys/resource.h>

namespace {

TEST(MemBitmap, RowSpanAlignmentAndBufferAlignment)
{
  RAS_MemBitmap a(100, 10, 8), b(100, 10, 0), c(101, 3, 4), d(5, 5, 64);
  EXPECT_EQ(a.getRowSpan(), 104);
  EXPECT_EQ(b.getRowSpan(), 100);
  EXPECT_EQ(c.getRowSpan(), 104);
  // Alignments past 16 pixels are taken as 16.
  EXPECT_EQ(d.getRowSpan(), 16);
  for (RAS_MemBitmap* bm : {&a, &b, &c, &d})
  {
    ASSERT_NE(bm->getBits(), nullptr);
    EXPECT_EQ((uintptr_t)bm->getBits() % 64, 0u);
    EXPECT_FALSE(bm->isFlipped());
    EXPECT_EQ(bm->getDC(), nullptr);
    EXPECT_EQ(bm->Extended(1, nullptr), 0);
  }
}

TEST(MemBitmap, ResizeKeepsBufferWhenShrinkingAndReportsChange)
{
  RAS_MemBitmap bm(64, 64);
  RAS_pixel* bits = bm.getBits();
  EXPECT_FALSE(bm.resize(64, 64));
  EXPECT_TRUE(bm.resize(32, 16));
  EXPECT_EQ(bm.getBits(), bits);
  EXPECT_EQ(bm.getWidth(), 32);
  EXPECT_EQ(bm.getHeight(), 16);
  // Growing allocates with a quarter of slack.
  EXPECT_TRUE(bm.resize(200, 100));
  EXPECT_EQ(bm.getAllocSize(), 200 * 100 * 4 + 200 * 100);
  bm.getBits()[200 * 100 - 1] = 1; // the whole buffer is usable
}

TEST(MemBitmap, NonPositiveAndOverflowingSizesGiveAnEmptyBitmap)
{
  const int sizes[][2] = {{0, 10}, {10, 0}, {-1, 10}, {10, -5}, {INT_MIN, INT_MIN}, {65536, 65536},
                          {INT_MAX, 2},  {2, INT_MAX}, {INT_MAX, INT_MAX}, {46341, 46341}};
  for (auto& s : sizes)
  {
    RAS_MemBitmap bm(8, 8);
    EXPECT_TRUE(bm.resize(s[0], s[1])) << s[0] << "x" << s[1];
    EXPECT_EQ(bm.getWidth(), 0);
    EXPECT_EQ(bm.getHeight(), 0);
    EXPECT_EQ(bm.getBits(), nullptr);
    // Every operation on the empty bitmap does nothing.
    RAS_FillRect(&bm, 0, 0, 10, 10, 0xFFFFFFFF, 1.0f, RAS_MODE_COPY);
    RAS_PutPixel(&bm, 0, 0, 1, 1.0f, 0);
    EXPECT_EQ(RAS_GetPixel(&bm, 0, 0), 0u);
  }
  RAS_MemBitmap neg(-3, 7);
  EXPECT_EQ(neg.getBits(), nullptr);
  EXPECT_EQ(neg.getWidth(), 0);
  EXPECT_FALSE(neg.resize(0, 0));
}

void LimitAddressSpace(rlim_t bytes)
{
  struct rlimit lim;
  lim.rlim_cur = lim.rlim_max = bytes;
  setrlimit(RLIMIT_AS, &lim);
}

TEST(MemBitmap, AllocationFailureLeavesEmptyBitmap)
{
  if (kSanitized) GTEST_SKIP() << "the sanitizer runtime needs more address space than the limit leaves";
  // In a child limited to 512 MB of address space, 1.6 GB cannot be had:
  // both a first allocation and a growing one must leave 0 x 0 and no buffer.
  EXPECT_EXIT(
      {
        LimitAddressSpace(512u << 20);
        RAS_MemBitmap fresh;
        fresh.resize(20000, 20000);
        RAS_MemBitmap grown(64, 64);
        grown.resize(20000, 20000);
        const bool ok = !fresh.getBits() && fresh.getWidth() == 0 && fresh.getHeight() == 0 && !grown.getBits() &&
                        grown.getWidth() == 0 && grown.getHeight() == 0 && grown.resize(16, 16) && grown.getBits();
        exit(ok ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST(BitmapOps, GetAndPutPixel)
{
  RAS_MemBitmap bm(4, 3);
  RAS_Clear(&bm, Px(1, 2, 3, 4));
  EXPECT_EQ(RAS_GetPixel(&bm, 3, 2), Px(1, 2, 3, 4));
  for (auto xy : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}})
  {
    EXPECT_EQ(RAS_GetPixel(&bm, xy.first, xy.second), 0u);
    RAS_PutPixel(&bm, xy.first, xy.second, 0xFFFFFFFF, 1.0f, RAS_MODE_COPY);
  }
  EXPECT_EQ(RAS_GetPixel(nullptr, 0, 0), 0u);

  RAS_PutPixel(&bm, 1, 1, Px(200, 100, 50, 7), 1.0f, RAS_MODE_COPY | RAS_MODE_USE_ALPHA);
  EXPECT_EQ(At(bm, 1, 1), Px(200, 100, 50, 7));
  At(bm, 2, 1) = 0;
  RAS_PutPixel(&bm, 2, 1, 0xFFFFFFFF, 0.5f, RAS_MODE_COPY);
  EXPECT_EQ(At(bm, 2, 1), 0x7F7F7F7Fu);
  At(bm, 0, 0) = Px(0, 0, 0, 0);
  RAS_PutPixel(&bm, 0, 0, Px(255, 255, 255, 255), 0.25f, RAS_MODE_COPY);
  EXPECT_EQ(At(bm, 0, 0), Px(63, 63, 63, 63));
  At(bm, 0, 0) = Px(10, 20, 30, 40);
  RAS_PutPixel(&bm, 0, 0, Px(100, 100, 100, 100), 0.3f, RAS_MODE_ADD);
  EXPECT_EQ(At(bm, 0, 0), OracleRulePx(RAS_MODE_ADD, Px(10, 20, 30, 40), Px(100, 100, 100, 100), 76));
  const RAS_pixel before = At(bm, 0, 0);
  RAS_PutPixel(&bm, 0, 0, 0xFFFFFFFF, std::numeric_limits<float>::quiet_NaN(), RAS_MODE_COPY);
  RAS_PutPixel(&bm, 0, 0, 0xFFFFFFFF, -1.0f, RAS_MODE_COPY);
  RAS_PutPixel(&bm, 0, 0, 0xFFFFFFFF, 1.0f, 6);
  EXPECT_EQ(At(bm, 0, 0), before);
}

TEST(BitmapOps, FlippedBitmapAddressesRowsFromTheBottom)
{
  FlippedBitmap bm(3, 4);
  RAS_Clear(&bm, 0);
  bm.getBits()[3 * bm.getRowSpan()] = 42; // last memory row = image row 0
  EXPECT_EQ(RAS_GetPixel(&bm, 0, 0), 42u);
  RAS_PutPixel(&bm, 2, 3, 7, 1.0f, RAS_MODE_COPY);
  EXPECT_EQ(bm.getBits()[2], 7u);
  RAS_FillRect(&bm, 0, 1, 2, 1, 9, 1.0f, RAS_MODE_COPY);
  EXPECT_EQ(bm.getBits()[2 * bm.getRowSpan()], 9u);
  EXPECT_EQ(bm.getBits()[2 * bm.getRowSpan() + 1], 9u);
  EXPECT_EQ(bm.getBits()[2 * bm.getRowSpan() + 2], 0u);
}

// Fills a rectangle into a reference picture by plain loops over the
// intersection, for comparing clipped operations.
void ExpectOnlyRectChanged(RAS_IBitmap& bm, long long x, long long y, long long w, long long h, RAS_pixel inside,
                           RAS_pixel outside)
{
  for (int j = 0; j < bm.getHeight(); j++)
    for (int i = 0; i < bm.getWidth(); i++)
    {
      const bool in = i >= x && i < x + w && j >= y && j < y + h;
      ASSERT_EQ(At(bm, i, j), in ? inside : outside) << i << "," << j;
    }
}

TEST(BitmapOps, RectangleClippingIsOverflowSafe)
{
  const long long rects[][4] = {{-5, -5, 8, 8},         {3, 2, 100, 100},       {INT_MAX, 0, INT_MAX, 5},
                                {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {5, 5, INT_MAX, INT_MAX}, {2, 2, 0, 3},
                                {2, 2, -4, 3},          {-100, 1, 101, 1},      {9, 9, 1, 1},
                                {10, 0, 5, 5},          {0, 10, 5, 5},          {INT_MIN + 1, 3, INT_MAX, 2}};
  for (auto& r : rects)
  {
    for (bool flipped : {false, true})
    {
      RAS_MemBitmap plain(10, 10);
      FlippedBitmap flip(10, 10);
      RAS_IBitmap& bm = flipped ? (RAS_IBitmap&)flip : (RAS_IBitmap&)plain;
      RAS_Clear(&bm, 1);
      RAS_FillRect(&bm, (int)r[0], (int)r[1], (int)r[2], (int)r[3], 5, 1.0f, RAS_MODE_COPY);
      ExpectOnlyRectChanged(bm, r[0], r[1], r[2], r[3], 5, 1);
      RAS_Clear(&bm, 0xF0);
      RAS_ClearRect(&bm, (int)r[0], (int)r[1], (int)r[2], (int)r[3], 0x30, 0x1);
      ExpectOnlyRectChanged(bm, r[0], r[1], r[2], r[3], 0x31, 0xF0);
      RAS_Clear(&bm, Px(100, 100, 100, 100));
      RAS_MultiplyAddRect(&bm, (int)r[0], (int)r[1], (int)r[2], (int)r[3], 0.5f, 1, 1, 1, 0, 0, 0, 128.0f);
      ExpectOnlyRectChanged(bm, r[0], r[1], r[2], r[3], Px(50, 100, 100, 228), Px(100, 100, 100, 100));
      int count = 0;
      RAS_ProcessRect(&bm, (int)r[0], (int)r[1], (int)r[2], (int)r[3],
                      [](RAS_pixel* p, void* c) { *p = 3; ++*(int*)c; }, &count);
      long long cw = std::min(r[0] + r[2], 10LL) - std::max(r[0], 0LL);
      long long ch = std::min(r[1] + r[3], 10LL) - std::max(r[1], 0LL);
      EXPECT_EQ(count, cw > 0 && ch > 0 ? cw * ch : 0);
    }
  }
}

TEST(BitmapOps, FillRectModesAndWeights)
{
  RAS_MemBitmap bm(2, 2);
  const RAS_pixel d = Px(10, 200, 30, 40), c = Px(250, 50, 128, 90);
  struct Case
  {
    float alpha;
    int mode;
    RAS_pixel expect;
  } cases[] = {
      {0.5f, RAS_MODE_COPY, ((d >> 1) & 0x7F7F7F7F) + ((c >> 1) & 0x7F7F7F7F)},
      {0.25f, RAS_MODE_COPY, ((c >> 2) & 0x3F3F3F3F) + ((d >> 1) & 0x7F7F7F7F) + ((d >> 2) & 0x3F3F3F3F)},
      {0.75f, RAS_MODE_COPY, ((c >> 1) & 0x7F7F7F7F) + ((c >> 2) & 0x3F3F3F3F) + ((d >> 2) & 0x3F3F3F3F)},
      {1.0f, RAS_MODE_COPY, c},
      {2.0f, RAS_MODE_COPY, c},
      {0.3f, RAS_MODE_COPY, OracleRulePx(RAS_MODE_COPY, d, c, 76)},
      {-0.3f, RAS_MODE_COPY, d},
      {0.0f, RAS_MODE_ADD, d},
      // Modes 1 to 5 take the weight itself as the alpha channel argument.
      {0.3f, RAS_MODE_ADD, OracleRule(RAS_MODE_ADD, d, 250, 50, 128, 76, 76)},
      {1.0f, RAS_MODE_MUL, OracleRule(RAS_MODE_MUL, d, 250, 50, 128, 256, 256)},
      {0.6f, RAS_MODE_OVERLAY, OracleRule(RAS_MODE_OVERLAY, d, 250, 50, 128, 153, 153)},
      {0.6f, RAS_MODE_DODGE, OracleRule(RAS_MODE_DODGE, d, 250, 50, 128, 153, 153)},
      // Source alpha scales the opacity by the colour's alpha: 90/255 of 0.8.
      {0.8f, RAS_MODE_ADD | RAS_MODE_USE_ALPHA, OracleRule(RAS_MODE_ADD, d, 250, 50, 128, 72, 72)},
      {1.0f, 7, d},
      {std::numeric_limits<float>::quiet_NaN(), RAS_MODE_COPY, d},
  };
  for (auto& k : cases)
  {
    RAS_Clear(&bm, d);
    RAS_FillRect(&bm, 0, 0, 2, 2, c, k.alpha, k.mode);
    EXPECT_EQ(At(bm, 1, 1), k.expect) << k.alpha << " mode " << k.mode;
  }
  RAS_MemBitmap one(1, 1);
  At(one, 0, 0) = 0;
  RAS_FillRect(&one, 0, 0, 1, 1, 0xFFFFFFFF, 0.5f, RAS_MODE_COPY);
  EXPECT_EQ(At(one, 0, 0), 0x7F7F7F7Fu);
}

TEST(BitmapOps, MultiplyAddClamps)
{
  RAS_MemBitmap bm(1, 1);
  At(bm, 0, 0) = Px(100, 200, 0, 255);
  RAS_MultiplyAddRect(&bm, 0, 0, 1, 1, 2.0f, 1.0f, 1.0f, -1.0f, 0.0f, 100.0f, -0.5f, 0.0f);
  EXPECT_EQ(At(bm, 0, 0), Px(200, 255, 0, 0));
  At(bm, 0, 0) = Px(1, 2, 3, 4);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  RAS_MultiplyAddRect(&bm, 0, 0, 1, 1, 1e30f, -1e30f, nan, 1.0f, 1e30f, 1e30f, 0, 0);
  EXPECT_EQ(At(bm, 0, 0), Px(255, 0, 0, 4));
}

TEST(BitmapOps, SetAlphaFromColorMask)
{
  RAS_MemBitmap bm(2, 1);
  At(bm, 0, 0) = Px(1, 2, 3, 77);
  At(bm, 1, 0) = Px(1, 2, 4, 0);
  RAS_SetAlphaFromColorMask(&bm, Px(1, 2, 3, 0));
  EXPECT_EQ(At(bm, 0, 0), Px(1, 2, 3, 0));
  EXPECT_EQ(At(bm, 1, 0), Px(1, 2, 4, 255));
  // An argument with an alpha byte never matches.
  RAS_SetAlphaFromColorMask(&bm, Px(1, 2, 3, 1));
  EXPECT_EQ(At(bm, 0, 0), Px(1, 2, 3, 255));
}

TEST(BitmapOps, SimpleFillFillsRegionConnectedThroughColumn)
{
  // 0 = background, 1 = wall. The walk down stops at the first row whose
  // column 1 is a wall, so the background below it and right of the upper
  // wall stays.
  const char* pic[] = {"0010000", "0010000", "0000110", "0111000", "0000000"};
  for (bool flipped : {false, true})
  {
    RAS_MemBitmap plain(7, 5);
    FlippedBitmap flip(7, 5);
    RAS_IBitmap& bm = flipped ? (RAS_IBitmap&)flip : (RAS_IBitmap&)plain;
    for (int y = 0; y < 5; y++)
      for (int x = 0; x < 7; x++) At(bm, x, y) = pic[y][x] == '1' ? 0x100 : 0x200 + x;
    RAS_SimpleFill(&bm, 1, 1, 0x5, 0xF00, 0xFF);
    const char* expect[] = {"xx10000", "xx10000", "xxxx110", "0111000", "0000000"};
    for (int y = 0; y < 5; y++)
      for (int x = 0; x < 7; x++)
      {
        const RAS_pixel p = At(bm, x, y);
        if (expect[y][x] == 'x')
          EXPECT_EQ(p, 0x5u | x) << x << "," << y;
        else
          EXPECT_EQ(p, pic[y][x] == '1' ? 0x100u : 0x200u + x) << x << "," << y;
      }
  }
  RAS_MemBitmap bm(2, 2);
  RAS_SimpleFill(&bm, -1, 0, 1, 0xFFFFFFFF, 0);
  RAS_SimpleFill(&bm, 0, 2, 1, 0xFFFFFFFF, 0);
  RAS_SimpleFill(nullptr, 0, 0, 1, 0xFFFFFFFF, 0);
}

TEST(BitmapOps, BitmapCmp)
{
  RAS_MemBitmap a(10, 4), b(12, 4), c(10, 4), d(10, 6, 0);
  RAS_Clear(&a, 1);
  RAS_Clear(&c, 1);
  EXPECT_EQ(RAS_BitmapCmp(&a, &b), 2);
  EXPECT_EQ(RAS_BitmapCmp(&a, &d), 2);
  EXPECT_EQ(RAS_BitmapCmp(nullptr, nullptr), 0);
  EXPECT_EQ(RAS_BitmapCmp(nullptr, &a), -1);
  EXPECT_EQ(RAS_BitmapCmp(&a, nullptr), 1);
  int coords[4] = {9, 9, 9, 9};
  EXPECT_EQ(RAS_BitmapCmp(&a, &c), 0);
  EXPECT_EQ(RAS_BitmapCmp(&a, &c, coords), 0);
  EXPECT_EQ(coords[0] + coords[1] + coords[2] + coords[3], 0);
  At(c, 7, 1) = 2;
  At(c, 2, 3) = 0;
  EXPECT_LT(RAS_BitmapCmp(&a, &c), 0);
  EXPECT_EQ(RAS_BitmapCmp(&a, &c, coords), 1);
  EXPECT_EQ(coords[0], 2);
  EXPECT_EQ(coords[1], 1);
  EXPECT_EQ(coords[2], 6);
  EXPECT_EQ(coords[3], 3);
  // Flipping is honoured: the same image stored upside down compares equal.
  FlippedBitmap f(10, 4);
  for (int y = 0; y < 4; y++)
    for (int x = 0; x < 10; x++) At(f, x, y) = At(c, x, y);
  EXPECT_EQ(RAS_BitmapCmp(&f, &c), 0);
}

TEST(BitmapOps, CopyResizesAndCopiesFlippedContent)
{
  FlippedBitmap src(5, 3);
  std::mt19937 rng(3);
  FillRandom(src, rng);
  RAS_MemBitmap dst(1, 1);
  RAS_Copy(&dst, &src);
  ASSERT_EQ(dst.getWidth(), 5);
  ASSERT_EQ(dst.getHeight(), 3);
  EXPECT_EQ(RAS_BitmapCmp(&dst, &src), 0);
  RAS_Copy(&dst, &dst);
  EXPECT_EQ(RAS_BitmapCmp(&dst, &src), 0);
  RAS_Copy(nullptr, &src);
  RAS_Copy(&dst, nullptr);
}

} // namespace
