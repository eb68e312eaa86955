// Popup menus and text entry of the editor host: numbering, submenus,
// checks and disabled items, the choice coming back; text filtered as it is
// typed; and a close of the editor in the middle of either.

#include "MacTestSupport.h"

namespace
{
class MacPromptTest : public MacEditorTest
{
protected:
  void TearDown() override
  {
    OrvantaAppKitSetMenuHandler(nullptr);
    MacEditorTest::TearDown();
  }
  IControl* Recorder() { return mGraphics->GetControl(1); }
};

// Catches the numbering format ("%02d: " for setting 2), numbering from 0,
// and separators, checks, disabled items or submenus lost on the way.
TEST_F(MacPromptTest, MenusShowNumberedItemsAndReturnTheChosenOneOfTheirOwnLevel)
{
  IPopupMenu menu, sub;
  menu.SetPrefix(2);
  menu.AddItem("Clean");
  menu.AddItem("Dirty", -1, IPopupMenuItem::kChecked);
  menu.AddItem("Crunch", -1, IPopupMenuItem::kDisabled);
  menu.AddSeparator();
  sub.AddItem("Warm");
  sub.AddItem("Bright");
  menu.AddItem("More", &sub);

  std::vector<std::string> shown;
  OrvantaAppKitSetMenuHandler([&](OrvantaMenuSession& s) {
    NSMenu* m = s.menuAt(0);
    for (int i = 0; i < (int)m->numberOfItems(); ++i)
      shown.push_back(m->itemAtIndex(i)->isSeparatorItem() ? "-" : s.shownTitle(0, i));
    EXPECT_EQ(NSControlStateValueOn, m->itemAtIndex(1)->state());
    EXPECT_FALSE(m->isItemChoosable(m->itemAtIndex(2)));
    ASSERT_TRUE(s.clickItem("05: More"));
    ASSERT_TRUE(s.clickItem("Bright"));  // the submenu numbers by its own setting: none
  });
  IRECT r(10, 10, 40, 20);
  IPopupMenu* chosen = mGraphics->CreateIPopupMenu(&menu, &r);
  EXPECT_EQ(std::vector<std::string>({"01: Clean", "02: Dirty", "03: Crunch", "-", "05: More"}), shown);
  EXPECT_EQ(&sub, chosen);
  EXPECT_EQ(1, sub.GetChosenItemIdx());
}

// Catches a dismissed menu reported as a choice, and a choice delivered
// after the editor closed while the menu was open.
TEST_F(MacPromptTest, DismissedMenusAndMenusOutlivingTheEditorChooseNothing)
{
  IPopupMenu menu;
  menu.AddItem("One");
  menu.AddItem("Two");
  IRECT r(10, 10, 40, 20);
  OrvantaAppKitSetMenuHandler([](OrvantaMenuSession& s) { s.key(kVK_Escape); });
  EXPECT_EQ(nullptr, mGraphics->CreateIPopupMenu(&menu, &r));

  OrvantaAppKitSetMenuHandler([this](OrvantaMenuSession& s) {
    mGraphics->CloseWindow();
    s.clickItem("Two");
  });
  EXPECT_EQ(nullptr, mGraphics->CreateIPopupMenu(&menu, &r));
  EXPECT_EQ(-1, menu.GetChosenItemIdx());
}

// Catches the character set of a double parameter letting letters through,
// "-1.5" refused, and the control's entry length not enforced.
TEST_F(MacPromptTest, TextEntryForADoubleParameterTakesNumbersUpToTheEntryLength)
{
  Recorder()->SetTextEntryLength(5);
  IRECT r(10, 10, 60, 24);
  mGraphics->CreateTextEntry(Recorder(), Recorder()->GetText(), &r, "", mPlug->GetParam(0));
  NSTextField* field = mView->TextField();
  ASSERT_NE(nullptr, field);
  for (const char* c : {"-", "1", "x", ".", "5"}) OrvantaAppKitKey(mWindow, 0, c);
  EXPECT_EQ(CFStringCompare(field->stringValue(), CFSTR("-1.5"), 0), kCFCompareEqualTo);
  for (const char* c : {"0", "9"}) OrvantaAppKitKey(mWindow, 0, c);
  EXPECT_EQ(CFStringCompare(field->stringValue(), CFSTR("-1.50"), 0), kCFCompareEqualTo);

  OrvantaAppKitKey(mWindow, kVK_Return, "\r");
  EXPECT_EQ(nullptr, mView->TextField());
  // Below the range: the parameter takes its minimum.
  EXPECT_EQ(0.0, mPlug->GetParam(0)->Value());
}

// Catches the integer character set accepting a decimal point, and the
// formatter's value limit.
TEST_F(MacPromptTest, FormatterFiltersCharactersLengthAndValue)
{
  auto* f = new CocoaFormatter_vOrvanta_au();
  auto* digits = new NSCharacterSet(CFSTR("0123456789-+"));
  f->setAcceptableCharacterSet(digits);
  digits->release();
  EXPECT_TRUE(f->isPartialStringValid(CFSTR("-12"), nullptr, nullptr));
  EXPECT_FALSE(f->isPartialStringValid(CFSTR("1.5"), nullptr, nullptr));
  f->setMaximumLength(3);
  EXPECT_FALSE(f->isPartialStringValid(CFSTR("1234"), nullptr, nullptr));
  f->setMaximumValue(50);
  EXPECT_TRUE(f->isPartialStringValid(CFSTR("50"), nullptr, nullptr));
  EXPECT_FALSE(f->isPartialStringValid(CFSTR("51"), nullptr, nullptr));
  f->release();
}

// Catches a text entry whose typed value is applied when the editor closes
// under it (the user never confirmed it), and a field left in the window.
TEST_F(MacPromptTest, ClosingDuringTextEntryDiscardsTheEntry)
{
  IRECT r(10, 10, 60, 24);
  mGraphics->CreateTextEntry(Recorder(), Recorder()->GetText(), &r, "0.5", mPlug->GetParam(0));
  ASSERT_NE(nullptr, mView->TextField());
  OrvantaAppKitKey(mWindow, 0, "1");
  NSView* view = mView;
  view->retain();
  mGraphics->CloseWindow();
  EXPECT_EQ(0.5, mPlug->GetParam(0)->Value());
  EXPECT_TRUE(view->subviews().empty());
  view->release();
}
}  // namespace
