// The font cache's key and lifetime, with fonts that report their deletion.
#include "graphics/graphics.h"

#include <gtest/gtest.h>

namespace
{

class CountedFont : public RAS_IFont
{
public:
  explicit CountedFont(int* pDeleted) : mDeleted(pDeleted) {}
  ~CountedFont() override { ++*mDeleted; }
  void SetFromHFont(HFONT, int) override {}
  RAS_pixel SetTextColor(RAS_pixel c) override { return c; }
  RAS_pixel SetBkColor(RAS_pixel c) override { return c; }
  RAS_pixel SetEffectColor(RAS_pixel c) override { return c; }
  int SetBkMode(int m) override { return m; }
  void SetCombineMode(int, float) override {}
  int DrawText(RAS_IBitmap*, const char*, int, RECT*, unsigned int) override { return 0; }
  RAS_pixel GetTextColor() override { return 0; }
  HFONT GetHFont() override { return nullptr; }
  int GetLineHeight() override { return 0; }

private:
  int* mDeleted;
};

// Catches: a case-insensitive or prefix match of the face; size, orientation
// or style left out of the key; fonts leaked or deleted twice at exit.
TEST(FontStorage, KeyAndLifetime)
{
  int deleted = 0;
  {
    FontStorage store;
    const IText style(12, &COLOR_RED, "Helvetica");
    CountedFont* f = new CountedFont(&deleted);
    ASSERT_TRUE(store.Add(f, &style));
    IText other = style;
    other.mAlign = IText::kAlignFar;
    EXPECT_EQ(store.Find(&other), f);
    for (int change = 0; change < 5; ++change)
    {
      other = style;
      if (change == 0) other.SetFont("helvetica");
      if (change == 1) other.SetFont("Helvetica Neue");
      if (change == 2) other.mSize = 13;
      if (change == 3) other.mOrientation = 90;
      if (change == 4) other.mStyle = IText::kStyleItalic;
      EXPECT_EQ(store.Find(&other), nullptr) << change;
      store.Add(new CountedFont(&deleted), &other);
    }
    EXPECT_EQ(store.GetNKeys(), 6);
  }
  EXPECT_EQ(deleted, 6);
}

} // namespace
