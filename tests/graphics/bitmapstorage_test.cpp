// The image cache and the editor's image calls: what is loaded, shared,
// retained, released and deleted, counted through bitmaps that report their
// own deletion.
#include "GraphicsTestSupport.h"

#include <gtest/gtest.h>

namespace
{

// IDs of the process-wide cache used by this file only.
const int kBaseID = 9000;

// Catches: a second load of one ID decoding again or answering with a new
// bitmap, a failed load cached (the image would never appear) or drawn, and
// a frame count below 1 dividing by zero when a frame is picked.
TEST(ImageCache, LoadOncePerIDAndNeverCacheFailures)
{
  TestEditor ed(8, 8);
  int deleted = 0;
  IBitmap none = ed.LoadIBitmap(kBaseID, "knob.png", 5);
  EXPECT_EQ(none.mData, nullptr);
  EXPECT_EQ(BitmapStorage::Instance().Find(kBaseID), nullptr);
  IRECT r(0, 0, 8, 8);
  ed.SetDrawRECT(r);
  EXPECT_TRUE(ed.DrawBitmap(&none, &r, 2, nullptr));

  ed.mLoader = [&](int, const char*) {
    auto* bm = new CountedBitmap(2, 6, &deleted);
    FillAll(bm, RAS_RGBA(9, 9, 9, 255));
    return bm;
  };
  IBitmap a = ed.LoadIBitmap(kBaseID, "knob.png", 0);
  IBitmap b = ed.LoadIBitmap(kBaseID, "other.png", 3, true);
  EXPECT_EQ(ed.mLoads, 2);
  ASSERT_NE(a.mData, nullptr);
  EXPECT_EQ(a.mData, b.mData);
  EXPECT_EQ(a.H, 6);
  EXPECT_EQ(a.N, 1);
  EXPECT_EQ(b.N, 3);
  EXPECT_TRUE(b.mFramesAreHorizontal);
  a.N = 0; // a caller writing the field directly
  IRECT dest(0, 0, 2, 2);
  ed.DrawBitmap(&a, &dest, 4, nullptr);
  EXPECT_EQ(PixelAt(ed.GetDrawBitmap(), 1, 1), RAS_RGBA(9, 9, 9, 255));
  EXPECT_EQ(deleted, 0);
}

// Catches: retaining twice making two keys, releasing a resource image
// (leaving the cache pointing at freed memory), and releasing an unknown
// bitmap deleting it.
TEST(ImageCache, RetainAndRelease)
{
  TestEditor ed(8, 8);
  BitmapStorage& store = BitmapStorage::Instance();
  int deleted = 0;
  IBitmap own(new CountedBitmap(3, 3, &deleted), 3, 3);
  const int keys = store.GetNKeys();
  ed.RetainBitmap(&own);
  ed.RetainBitmap(&own);
  EXPECT_EQ(store.GetNKeys(), keys + 1);
  ed.ReleaseBitmap(&own);
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(store.GetNKeys(), keys);

  ed.mLoader = [&](int, const char*) { return new CountedBitmap(4, 4, &deleted); };
  IBitmap res = ed.LoadIBitmap(kBaseID + 1, "bg.png");
  ed.RetainBitmap(&res);
  ed.ReleaseBitmap(&res);
  CountedBitmap stranger(1, 1, &deleted);
  IBitmap s(&stranger, 1, 1);
  ed.ReleaseBitmap(&s);
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(store.Find(kBaseID + 1), res.mData);
}

// Catches: the exit clean-up deleting a bitmap once per key that held it,
// leaking keys (seen by the leak checker), or a lock that is not re-entrant
// (a cache call made while holding the cache's mutex would hang).
TEST(ImageCache, ExitDeletesEachBitmapOnce)
{
  int deleted = 0;
  {
    BitmapStorage store;
    KIT_MutexLock hold(store.Mutex());
    auto* a = new CountedBitmap(1, 1, &deleted);
    auto* b = new CountedBitmap(1, 1, &deleted);
    store.Add(a, 1);
    store.Add(a, 2);
    store.Add(b, -1);
    store.Add(b, -1);
    EXPECT_EQ(store.GetNKeys(), 2);
    EXPECT_EQ(store.Find(2), nullptr);
    EXPECT_EQ(store.Find(1), a);
  }
  EXPECT_EQ(deleted, 2);
}

} // namespace
