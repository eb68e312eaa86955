// Alerts, file panels, the colour panel, opening URLs, the cursor and the
// standard directories of the window-system stand-in.
#include "platform/appkit_testing.h"

#include <cstdlib>

namespace {

class Modals : public AppKitTest {
protected:
    void SetUp() override {
        AppKitTest::SetUp();
        mPool = new NSAutoreleasePool;
    }
    void TearDown() override {
        OrvantaAppKitSetModalHandler(nullptr);
        OrvantaAppKitSetOpenHandler(nullptr);
        delete mPool;
        AppKitTest::TearDown();
    }
    // Answers every question with `answer`, remembering the question.
    void Answer(OrvantaModalAnswer answer) {
        OrvantaAppKitSetModalHandler([this, answer](const OrvantaModalRequest& q) {
            asked.push_back(q);
            return answer;
        });
    }
    static OrvantaModalAnswer Button(int i) {
        OrvantaModalAnswer a;
        a.cancelled = false;
        a.button = i;
        return a;
    }
    NSAutoreleasePool* mPool = nullptr;
    std::vector<OrvantaModalRequest> asked;
};

// Catches: buttons shown in the wrong order, the answer mapped to the wrong
// return code, or a cancelled alert reported as a button press.
TEST_F(Modals, AlertsAnswerWithTheButtonPressed) {
    NSAlert* a = NSAlert::alertWithMessageText(CFSTR("Save?"), CFSTR("Yes"), CFSTR("No"), CFSTR("Cancel"),
                                               CFSTR("Details"));
    Answer(Button(0));
    EXPECT_EQ(a->runModal(), NSAlertDefaultReturn);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].message, "Save?");
    EXPECT_EQ(asked[0].informativeText, "Details");
    EXPECT_EQ(asked[0].buttons, (std::vector<std::string>{"Yes", "No", "Cancel"}));
    Answer(Button(1));
    EXPECT_EQ(a->runModal(), NSAlertAlternateReturn);
    Answer(Button(2));
    EXPECT_EQ(a->runModal(), NSAlertOtherReturn);
    Answer(OrvantaModalAnswer());
    EXPECT_EQ(a->runModal(), NSAlertErrorReturn);

    // Without an alternate button the other one keeps its own answer.
    NSAlert* b = NSAlert::alertWithMessageText(CFSTR("Hm"), nullptr, nullptr, CFSTR("Other"), nullptr);
    Answer(Button(1));
    EXPECT_EQ(b->runModal(), NSAlertOtherReturn);
    EXPECT_EQ(asked.back().buttons, (std::vector<std::string>{"OK", "Other"}));

    NSAlert* c = new NSAlert;
    c->addButtonWithTitle(CFSTR("First"));
    c->addButtonWithTitle(CFSTR("Second"));
    Answer(Button(1));
    EXPECT_EQ(c->runModal(), NSAlertSecondButtonReturn);
    c->release();
}

// Catches: nobody to ask (no handler, no zenity in the headless system)
// answered as anything but "cancelled".
TEST_F(Modals, WithoutAnyoneToAskEverythingIsCancelled) {
    NSAlert* a = NSAlert::alertWithMessageText(CFSTR("x"), nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(a->runModal(), NSAlertErrorReturn);
    EXPECT_EQ(NSOpenPanel::openPanel()->runModal(), NSModalResponseCancel);
    EXPECT_EQ(NSColorPanel::sharedColorPanel()->runModal(), NSModalResponseCancel);
}

// Catches: the panel starting elsewhere than asked, the types lost, a save
// without the required extension, or a cancelled panel leaving a file.
TEST_F(Modals, FilePanelsStartWhereAskedAndReturnTheChosenPath) {
    NSSavePanel* save = NSSavePanel::savePanel();
    const void* types[] = {CFSTR("fxp"), CFSTR("fxb")};
    CFArrayRef typeArray = CFArrayCreate(nullptr, types, 2, &kCFTypeArrayCallBacks);
    save->setAllowedFileTypes(typeArray);
    CFRelease(typeArray);
    OrvantaModalAnswer chosen;
    chosen.cancelled = false;
    chosen.path = "/tmp/preset";
    Answer(chosen);
    ASSERT_EQ(save->runModalForDirectory(CFSTR("/tmp/start"), CFSTR("Init")), NSModalResponseOK);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, OrvantaModalRequest::SavePanel);
    EXPECT_EQ(asked[0].directory, "/tmp/start");
    EXPECT_EQ(asked[0].fileName, "Init");
    EXPECT_EQ(asked[0].allowedTypes, (std::vector<std::string>{"fxp", "fxb"}));
    EXPECT_EQ(Utf8Of(save->filename()), "/tmp/preset.fxp");
    ASSERT_NE(save->URL(), nullptr);

    chosen.path = "/tmp/bank.FXB";
    Answer(chosen);
    save->runModal();
    EXPECT_EQ(Utf8Of(save->filename()), "/tmp/bank.FXB") << "an allowed extension in any case is kept";

    NSOpenPanel* open = NSOpenPanel::openPanel();
    Answer(OrvantaModalAnswer());
    EXPECT_EQ(open->runModalForDirectory(CFSTR("~/Desktop"), nullptr, nullptr), NSModalResponseCancel);
    EXPECT_EQ(open->URL(), nullptr);
    EXPECT_EQ(asked.back().kind, OrvantaModalRequest::OpenPanel);
    EXPECT_EQ(asked.back().directory, std::string(getenv("HOME")) + "/Desktop");
    CFArrayRef urls = open->URLs();
    EXPECT_EQ(CFArrayGetCount(urls), 0);
    CFRelease(urls);
}

// Catches: the colour panel not reporting the chosen colour or not running its action.
TEST_F(Modals, ColourPanelSetsTheChosenColour) {
    NSColorPanel* panel = NSColorPanel::sharedColorPanel();
    OrvantaModalAnswer a;
    a.cancelled = false;
    a.color[0] = 0.25, a.color[1] = 0.5, a.color[2] = 1, a.color[3] = 1;
    Answer(a);
    int actions = 0;
    panel->setAction([&actions](NSColorPanel*) { ++actions; });
    EXPECT_EQ(panel->runModal(), NSModalResponseOK);
    panel->setAction(nullptr);
    EXPECT_EQ(actions, 1);
    const CGFloat* c = CGColorGetComponents(panel->color());
    EXPECT_DOUBLE_EQ(c[0], 0.25);
    EXPECT_DOUBLE_EQ(c[2], 1);
}

// Catches: web URLs handed over as file paths or the other way round, and
// a failed opening reported as success.
TEST_F(Modals, WorkspaceHandsWebAddressesAndFilesOver) {
    std::vector<std::string> opened;
    OrvantaAppKitSetOpenHandler([&opened](const std::string& target) {
        opened.push_back(target);
        return target.find("missing") == std::string::npos;
    });
    CFURLRef web = CFURLCreateWithString(nullptr, CFSTR("https://orvanta.example/manual"), nullptr);
    CFURLRef file = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/tmp/some file.txt"), kCFURLPOSIXPathStyle, false);
    EXPECT_TRUE(NSWorkspace::sharedWorkspace()->openURL(web));
    EXPECT_TRUE(NSWorkspace::sharedWorkspace()->openURL(file));
    EXPECT_FALSE(NSWorkspace::sharedWorkspace()->openFile(CFSTR("/tmp/missing")));
    EXPECT_FALSE(NSWorkspace::sharedWorkspace()->openURL(nullptr));
    EXPECT_EQ(opened, (std::vector<std::string>{"https://orvanta.example/manual", "/tmp/some file.txt", "/tmp/missing"}));
    CFRelease(web);
    CFRelease(file);
}

// Catches: hides and unhides that do not nest, and the warp measured from
// the wrong edge of the display.
TEST_F(Modals, CursorHidesNestedAndWarpsFromTheTop) {
    NSCursor::hide();
    NSCursor::hide();
    NSCursor::unhide();
    EXPECT_FALSE(OrvantaAppKitCursorVisible());
    NSCursor::unhide();
    EXPECT_TRUE(OrvantaAppKitCursorVisible());
    NSCursor::unhide();
    EXPECT_TRUE(OrvantaAppKitCursorVisible());
    ASSERT_TRUE(NSCursor::warpCursorPosition(CGPointMake(30, 80)));
    const NSPoint p = NSEvent::mouseLocation();
    EXPECT_DOUBLE_EQ(p.x, 30);
    EXPECT_DOUBLE_EQ(p.y, NSMaxY(NSScreen::mainScreen()->frame()) - 80);
}

using StandardDirectories = AppKitTest;

// Catches: tildes left in expanded paths, or the user's folders missing.
TEST_F(StandardDirectories, DesktopAndApplicationSupportUnderHome) {
    const std::string home = getenv("HOME");
    CFArrayRef desktop = NSSearchPathForDirectoriesInDomains(NSDesktopDirectory, NSUserDomainMask, true);
    ASSERT_EQ(CFArrayGetCount(desktop), 1);
    EXPECT_EQ(Utf8Of((CFStringRef)CFArrayGetValueAtIndex(desktop, 0)), home + "/Desktop");
    CFRelease(desktop);
    CFArrayRef support = NSSearchPathForDirectoriesInDomains(NSApplicationSupportDirectory, NSAllDomainsMask, false);
    ASSERT_EQ(CFArrayGetCount(support), 2);
    EXPECT_EQ(Utf8Of((CFStringRef)CFArrayGetValueAtIndex(support, 0)), "~/Library/Application Support");
    EXPECT_EQ(Utf8Of((CFStringRef)CFArrayGetValueAtIndex(support, 1)), "/Library/Application Support");
    CFRelease(support);
}

} // namespace
