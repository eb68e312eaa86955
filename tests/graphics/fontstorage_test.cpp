// The font cache's key and lifetime, with fonts that report their deletion.
#include "graphics/graphics.h"

#include <gtest/gtest.h>

#include <string.h>

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

// Catches: colour, alignment or quality in the key; a case-insensitive or
// prefix match of the face; size, orientation or style left out of the key.
TEST(FontStorage, KeyIsSizeOrientationStyleAndFace)
{
  int deleted = 0;
  FontStorage store;
  IText style(12, &COLOR_RED, "Helvetica");
  CountedFont* f = new CountedFont(&deleted);
  ASSERT_TRUE(store.Add(f, &style));

  IText same = style;
  same.mColor = COLOR_BLUE;
  same.mAlign = IText::kAlignFar;
  same.mQuality = IText::kQualityNonAntiAliased;
  EXPECT_EQ(store.Find(&same), f);

  IText other = style;
  other.SetFont("helvetica");
  EXPECT_EQ(store.Find(&other), nullptr);
  other = style;
  other.SetFont("Helvetica Neue");
  EXPECT_EQ(store.Find(&other), nullptr);
  other = style;
  other.mSize = 13;
  EXPECT_EQ(store.Find(&other), nullptr);
  other = style;
  other.mOrientation = 90;
  EXPECT_EQ(store.Find(&other), nullptr);
  other = style;
  other.mStyle = IText::kStyleItalic;
  EXPECT_EQ(store.Find(&other), nullptr);
}

// Catches: fonts leaked or deleted twice at exit, and a style whose face
// has no terminator read past its field (the address sanitizer sees it).
TEST(FontStorage, ExitDeletesEveryFontOnce)
{
  int deleted = 0;
  {
    FontStorage store;
    IText a(10, nullptr, "Monaco"), b(11, nullptr, "Monaco");
    store.Add(new CountedFont(&deleted), &a);
    store.Add(new CountedFont(&deleted), &b);
    IText broken;
    memset(broken.mFont, 'M', sizeof broken.mFont);
    CountedFont refused(&deleted);
    EXPECT_FALSE(store.Add(&refused, &broken));
    EXPECT_EQ(store.Find(&broken), nullptr);
    EXPECT_EQ(store.GetNKeys(), 2);
  }
  EXPECT_EQ(deleted, 3); // two by the cache, one the refused font on the stack
}

} // namespace
