// The system bitmap over a GDI memory context: sizes, the shrink that keeps
// its context, empty and unallocatable sizes, and the pixel layout shared with
// the drawing context.

#include "raster_test_util.h"
#include "plugin/AllocHooks.h"

#include <gtest/gtest.h>

#include <climits>
#include <sys/resource.h>

namespace {

TEST(SysBitmap, RowSpanContextAndZeroedAlignedPixels)
{
  RAS_SysBitmap bm(101, 10);
  ASSERT_NE(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 101);
  EXPECT_EQ(bm.getHeight(), 10);
  EXPECT_EQ(bm.getRowSpan(), 104);
  EXPECT_FALSE(bm.isFlipped());
  ASSERT_NE(bm.getDC(), nullptr);
  EXPECT_EQ(GDI_GetCtxFrameBuffer(bm.getDC()), (void*)bm.getBits());
  EXPECT_EQ((uintptr_t)bm.getBits() % 64, 0u);
  for (int i = 0; i < 104 * 10; i++) ASSERT_EQ(bm.getBits()[i], 0u);
}

TEST(SysBitmap, ShrinkKeepsContextGrowReplacesIt)
{
  RAS_SysBitmap bm(64, 32);
  HDC dc = bm.getDC();
  RAS_pixel* bits = bm.getBits();
  EXPECT_FALSE(bm.resize(64, 32));
  EXPECT_TRUE(bm.resize(20, 30));
  EXPECT_EQ(bm.getDC(), dc);
  EXPECT_EQ(bm.getBits(), bits);
  EXPECT_EQ(bm.getRowSpan(), 64);
  EXPECT_TRUE(bm.resize(65, 30));
  ASSERT_NE(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getRowSpan(), 68);
  EXPECT_EQ(bm.getWidth(), 65);
  RAS_Clear(&bm, 0xFFFFFFFF);
  EXPECT_EQ(RAS_GetPixel(&bm, 64, 29), 0xFFFFFFFFu);
}

TEST(SysBitmap, EmptyAndImpossibleSizesLeaveNoContext)
{
  const int sizes[][2] = {{0, 5}, {5, 0}, {-1, 5}, {INT_MAX, 1}, {INT_MAX - 2, 3}, {65536, 65536}, {INT_MIN, -1}};
  for (auto& s : sizes)
  {
    RAS_SysBitmap bm(8, 8);
    bm.resize(s[0], s[1]);
    EXPECT_EQ(bm.getWidth(), 0) << s[0] << "x" << s[1];
    EXPECT_EQ(bm.getHeight(), 0);
    EXPECT_EQ(bm.getBits(), nullptr);
    EXPECT_EQ(bm.getDC(), nullptr);
    RAS_FillRect(&bm, 0, 0, 4, 4, 1, 1.0f, RAS_MODE_COPY);
    // And it comes back to life.
    EXPECT_TRUE(bm.resize(3, 3));
    ASSERT_NE(bm.getBits(), nullptr);
  }
  RAS_SysBitmap none;
  EXPECT_EQ(none.getBits(), nullptr);
  EXPECT_EQ(none.getDC(), nullptr);
}

void LimitAddressSpace(rlim_t bytes)
{
  struct rlimit lim;
  lim.rlim_cur = lim.rlim_max = bytes;
  setrlimit(RLIMIT_AS, &lim);
}

TEST(SysBitmap, FailedContextLeavesEmptyBitmap)
{
  if (kSanitized) GTEST_SKIP() << "the sanitizer runtime needs more address space than the limit leaves";
  EXPECT_EXIT(
      {
        LimitAddressSpace(512u << 20);
        RAS_SysBitmap bm(16, 16);
        bm.resize(20000, 20000);
        exit(!bm.getBits() && !bm.getDC() && bm.getWidth() == 0 && bm.getHeight() == 0 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST(SysBitmap, PixelLayoutMatchesTheDrawingContext)
{
  RAS_SysBitmap bm(8, 4);
  RAS_Clear(&bm, 0);
  HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
  RECT r = {2, 1, 3, 2};
  GDI_FillRect(bm.getDC(), &r, brush);
  DeleteObject(brush);
  // Top-left origin, red in the red byte.
  const RAS_pixel p = RAS_GetPixel(&bm, 2, 1);
  EXPECT_EQ(RAS_GETR(p), 255);
  EXPECT_EQ(RAS_GETG(p), 0);
  EXPECT_EQ(RAS_GETB(p), 0);
  EXPECT_EQ(RAS_GETR(RAS_GetPixel(&bm, 2, 2)), 0);
  // Raster drawing is what the context shows: blue written by the library
  // lands where the platform expects blue.
  RAS_FillRect(&bm, 0, 0, 8, 4, RAS_RGBA(0, 0, 255, 255), 1.0f, RAS_MODE_COPY);
  EXPECT_EQ(((unsigned char*)GDI_GetCtxFrameBuffer(bm.getDC()))[3], 255);
  EXPECT_EQ(((unsigned char*)GDI_GetCtxFrameBuffer(bm.getDC()))[1], 0);
}

} // namespace
