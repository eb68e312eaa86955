// Text fields of the window-system stand-in: typing through a formatter,
// ending the edit, and the notifications the delegate receives.
#include "platform/appkit_testing.h"

namespace {

// Accepts text made of the allowed characters and at most maxLength long;
// upper-cases lower-case text by answering a replacement.
class DigitsFormatter : public NSFormatter {
public:
    NSCharacterSet* allowed = nullptr;
    CFIndex maxLength = 0;
    int asked = 0;
    CFStringRef stringForObjectValue(CFTypeRef object) override {
        return object && CFGetTypeID(object) == CFStringGetTypeID() ? (CFStringRef)object : nullptr;
    }
    bool getObjectValue(CFTypeRef* object, CFStringRef string, CFStringRef*) override {
        *object = CFStringCreateCopy(nullptr, string);
        return true;
    }
    bool isPartialStringValid(CFStringRef s, CFStringRef* newString, CFStringRef*) override {
        ++asked;
        if (Utf8Of(s) == "x") {
            *newString = CFStringCreateCopy(nullptr, CFSTR("X"));
            return false;
        }
        for (CFIndex i = 0; i < CFStringGetLength(s); ++i)
            if (allowed && !allowed->characterIsMember(CFStringGetCharacterAtIndex(s, i)))
                return false;
        return maxLength == 0 || CFStringGetLength(s) <= maxLength;
    }

protected:
    ~DigitsFormatter() override {
        if (allowed)
            allowed->release();
    }
};

class Delegate : public NSTextFieldDelegate {
public:
    std::vector<std::string> ends;
    std::vector<int> movements;
    int begins = 0;
    void controlTextDidBeginEditing(NSNotification*) override { ++begins; }
    void controlTextDidEndEditing(NSNotification* n) override {
        auto* field = static_cast<NSTextField*>(n->object());
        ends.push_back(Utf8Of(field->stringValue()));
        int movement = -1;
        CFNumberRef number = (CFNumberRef)CFDictionaryGetValue(n->userInfo(), CFSTR("NSTextMovement"));
        if (number)
            CFNumberGetValue(number, kCFNumberIntType, &movement);
        movements.push_back(movement);
        EXPECT_EQ(Utf8Of(n->name()), "NSControlTextDidEndEditingNotification");
    }
};

class TextFields : public AppKitTest {
protected:
    void SetUp() override {
        AppKitTest::SetUp();
        mWindow = MakeWindow(200, 100);
        mField = new NSTextField(NSMakeRect(10, 10, 80, 20));
        mField->setStringValue(CFSTR("0.5"));
        mFormatter = new DigitsFormatter;
        mFormatter->allowed = new NSCharacterSet(CFSTR("0123456789.-+"));
        mFormatter->maxLength = 5;
        mField->setFormatter(mFormatter);
        mField->setDelegate(&mDelegate);
        mWindow->contentView()->addSubview(mField);
    }
    void TearDown() override {
        mFormatter->release();
        mField->release();
        mWindow->close();
        AppKitTest::TearDown();
    }
    void Type(const char* text) {
        for (const char* c = text; *c; ++c) {
            const char s[2] = {*c, 0};
            OrvantaAppKitKey(mWindow, 0, s);
        }
    }
    std::string Text() const { return Utf8Of(mField->stringValue()); }

    NSWindow* mWindow = nullptr;
    NSTextField* mField = nullptr;
    DigitsFormatter* mFormatter = nullptr;
    Delegate mDelegate;
};

// Catches: typing appended after the old text instead of replacing the
// selection editing starts with, letters let through the formatter, or a
// sixth character accepted past the length limit.
TEST_F(TextFields, FormatterFiltersEveryEditAndLimitsTheLength) {
    ASSERT_TRUE(mWindow->makeFirstResponder(mField));
    EXPECT_TRUE(mField->isEditing());
    EXPECT_EQ(mField->selectedRange().length, 3);
    const long beeps = OrvantaAppKitBeepCount();
    Type("-1a.5");
    EXPECT_EQ(Text(), "-1.5");
    EXPECT_EQ(OrvantaAppKitBeepCount(), beeps + 1);
    Type("12");
    EXPECT_EQ(Text(), "-1.51") << "the sixth character is refused";
    EXPECT_EQ(mDelegate.begins, 1);
}

// Catches: deletions not put to the formatter, or the caret not moving with the arrows.
TEST_F(TextFields, CaretMovesAndDeletionsAreVetted) {
    mWindow->makeFirstResponder(mField);
    Type("12");
    OrvantaAppKitKey(mWindow, kVK_LeftArrow, "\xef\x9c\x82");
    Type("3");
    EXPECT_EQ(Text(), "132");
    const int asked = mFormatter->asked;
    OrvantaAppKitKey(mWindow, kVK_Delete, "\x7f");
    EXPECT_EQ(Text(), "12");
    EXPECT_EQ(mFormatter->asked, asked + 1);
}

// Catches: a formatter's replacement text ignored when it refuses an edit.
TEST_F(TextFields, RefusalWithAReplacementTakesTheReplacement) {
    mFormatter->allowed->release();
    mFormatter->allowed = nullptr;
    mWindow->makeFirstResponder(mField);
    Type("x");
    EXPECT_EQ(Text(), "X");
}

// Catches: Return not ending the edit, the delegate told twice or not at
// all, Escape keeping the typed text, and a click elsewhere leaving the
// field editing.
TEST_F(TextFields, EndingTheEditTellsTheDelegateHowItEnded) {
    mWindow->makeFirstResponder(mField);
    Type("7");
    OrvantaAppKitKey(mWindow, kVK_Return, "\r");
    EXPECT_FALSE(mField->isEditing());
    OrvantaAppKitKey(mWindow, kVK_Return, "\r");

    mWindow->makeFirstResponder(mField);
    Type("99");
    OrvantaAppKitKey(mWindow, kVK_Escape, "\x1b");

    RecordingView* other = new RecordingView(NSMakeRect(120, 10, 50, 50));
    other->takesKeys = true;
    mWindow->contentView()->addSubview(other);
    OrvantaAppKitMouse(mWindow, NSEventTypeLeftMouseDown, NSMakePoint(20, 20));
    EXPECT_TRUE(mField->isEditing()) << "a click into the field starts editing";
    Type("3");
    OrvantaAppKitMouse(mWindow, NSEventTypeLeftMouseDown, NSMakePoint(130, 20));
    EXPECT_FALSE(mField->isEditing());
    EXPECT_EQ(mWindow->firstResponder(), other);
    other->release();

    // The click put the caret where it landed (after the text) rather than selecting all.
    EXPECT_EQ(mDelegate.ends, (std::vector<std::string>{"7", "7", "73"}));
    EXPECT_EQ(mDelegate.movements,
              (std::vector<int>{NSReturnTextMovement, NSCancelTextMovement, NSOtherTextMovement}));
}

// Catches: a field taken out of its window mid-edit still telling its
// delegate, which by then may be gone.
TEST_F(TextFields, RemovalMidEditEndsItSilently) {
    mWindow->makeFirstResponder(mField);
    Type("4");
    mField->removeFromSuperview();
    EXPECT_FALSE(mField->isEditing());
    EXPECT_TRUE(mDelegate.ends.empty());
}

// Catches: a field that draws nothing or draws its text outside itself,
// and a face that is not installed (no font) crashing it.
TEST_F(TextFields, TextIsDrawnInsideTheField) {
    mField->setFont(NSFontCreateWithNameSize(CFSTR("No Such Face"), 12));
    ASSERT_NE(mField->font(), nullptr);
    mField->setStringValue(CFSTR("888"));
    OrvantaAppKitRunPending();
    int inside = 0, outside = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool dark = (OrvantaAppKitPixel(mWindow, x, y) & 0xFF) < 0x60;
            const bool in = x >= 10 && x < 90 && y >= 70 && y < 90;
            (in ? inside : outside) += dark;
        }
    EXPECT_GT(inside, 10);
    EXPECT_EQ(outside, 0);
}

} // namespace
