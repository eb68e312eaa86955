// Popup menus of the window-system stand-in: what is shown, what can be
// chosen and what the choice runs, driven through the headless menu session.
#include "platform/appkit_testing.h"

#include <cmath>

namespace {

class PopupMenus : public AppKitTest {
protected:
    void SetUp() override {
        AppKitTest::SetUp();
        mPool = new NSAutoreleasePool;
        mMenu = new NSMenu(CFSTR(""));
        mMenu->setAutoenablesItems(false);
        mOne = Add(mMenu, "One");
        mMenu->addItem(NSMenuItem::separatorItem());
        mTwo = Add(mMenu, "Two");
        mTwo->setEnabled(false);
        mThree = Add(mMenu, "Three");
        mThree->setState(NSControlStateValueOn);
        mThree->setIndentationLevel(1);
        NSMenuItem* more = Add(mMenu, "More");
        mSub = new NSMenu(CFSTR(""));
        mSub->setAutoenablesItems(false);
        mDeep = Add(mSub, "Deep");
        mMenu->setSubmenu(mSub, more);
        mSub->release();
    }
    void TearDown() override {
        OrvantaAppKitSetMenuHandler(nullptr);
        mMenu->release();
        delete mPool;
        AppKitTest::TearDown();
    }
    NSMenuItem* Add(NSMenu* menu, const char* title) {
        CFStringRef t = CFStringCreateWithCString(nullptr, title, kCFStringEncodingUTF8);
        NSMenuItem* item = menu->addItemWithTitle(t, [this](NSMenuItem* sender) { chosen.push_back(sender); },
                                                  CFSTR(""));
        CFRelease(t);
        return item;
    }
    // Pops the menu up at a screen point with the handler given.
    bool Show(std::function<void(OrvantaMenuSession&)> handler) {
        OrvantaAppKitSetMenuHandler(std::move(handler));
        return mMenu->popUpMenuPositioningItem(nullptr, NSMakePoint(300, 600), nullptr);
    }

    NSAutoreleasePool* mPool = nullptr;
    NSMenu* mMenu = nullptr;
    NSMenu* mSub = nullptr;
    NSMenuItem *mOne = nullptr, *mTwo = nullptr, *mThree = nullptr, *mDeep = nullptr;
    std::vector<NSMenuItem*> chosen;
};

// Catches: items shown out of order, separators as tall as items, or the
// menu not placed with its top-left at the requested point.
TEST_F(PopupMenus, ItemsAreLaidOutInOrderBelowTheRequestedPoint) {
    Show([](OrvantaMenuSession& s) {
        ASSERT_EQ(s.levelCount(), 1);
        const NSRect frame = s.levelWindow(0)->frame();
        EXPECT_DOUBLE_EQ(frame.origin.x, 300);
        EXPECT_DOUBLE_EQ(NSMaxY(frame), 600);
        const NSRect one = s.itemFrame(0, 0), sep = s.itemFrame(0, 1), two = s.itemFrame(0, 2);
        EXPECT_GT(one.origin.y, sep.origin.y);
        EXPECT_GT(sep.origin.y, two.origin.y);
        EXPECT_LT(sep.size.height, one.size.height);
        EXPECT_EQ(s.shownTitle(0, 3), "Three");
    });
}

// Catches: disabled items or separators that can be chosen, or a click on
// them closing the menu.
TEST_F(PopupMenus, DisabledItemsAndSeparatorsCannotBeChosen) {
    const bool any = Show([](OrvantaMenuSession& s) {
        EXPECT_TRUE(s.clickItem("Two"));
        EXPECT_TRUE(s.isOpen());
        const NSRect sep = s.itemFrame(0, 1);
        s.click(NSMakePoint(NSMidX(sep), NSMidY(sep)));
        EXPECT_TRUE(s.isOpen());
    });
    EXPECT_FALSE(any);
    EXPECT_TRUE(chosen.empty());
}

// Catches: a submenu entry that cannot be opened, or a submenu's choice
// reported against the top menu instead of the submenu it belongs to.
TEST_F(PopupMenus, SubmenuItemsAreChosenInTheirOwnMenu) {
    const bool any = Show([](OrvantaMenuSession& s) {
        ASSERT_TRUE(s.clickItem("More"));
        ASSERT_EQ(s.levelCount(), 2);
        EXPECT_TRUE(s.isOpen()) << "choosing a submenu entry only opens it";
        ASSERT_TRUE(s.clickItem("Deep"));
        EXPECT_FALSE(s.isOpen());
    });
    EXPECT_TRUE(any);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0], mDeep);
    EXPECT_EQ(chosen[0]->menu(), mSub);
    EXPECT_EQ(mSub->indexOfItem(chosen[0]), 0);
    EXPECT_EQ(mSub->supermenu(), mMenu);
}

// Catches: arrow keys stopping on separators or disabled items, and
// Escape or a click outside choosing something.
TEST_F(PopupMenus, KeyboardSkipsWhatCannotBeChosenAndEscapeDismisses) {
    Show([](OrvantaMenuSession& s) {
        s.key(kVK_DownArrow);
        s.key(kVK_DownArrow);
        s.key(kVK_Return);
    });
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0], mThree);
    chosen.clear();
    EXPECT_FALSE(Show([](OrvantaMenuSession& s) { s.key(kVK_Escape); }));
    EXPECT_FALSE(Show([](OrvantaMenuSession& s) { s.click(NSMakePoint(10, 10)); }));
    EXPECT_FALSE(Show(nullptr));
    EXPECT_TRUE(chosen.empty());
}

// Catches: the release of the click that opened the menu choosing whatever
// item the menu put under the pointer.
TEST_F(PopupMenus, TheOpeningClicksReleaseDoesNotChoose) {
    Show([](OrvantaMenuSession& s) {
        const NSRect one = s.itemFrame(0, 0), three = s.itemFrame(0, 3);
        s.mouseUp(NSMakePoint(NSMidX(one), NSMidY(one)));
        EXPECT_TRUE(s.isOpen());
        s.moveTo(NSMakePoint(NSMidX(three), NSMidY(three)));
        s.mouseUp(NSMakePoint(NSMidX(three), NSMidY(three)));
        EXPECT_FALSE(s.isOpen());
    });
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0], mThree);
}

// Catches: a submenu at the screen's right edge squeezed on top of its
// parent instead of opening to its left.
TEST_F(PopupMenus, SubmenuOpensLeftwardAtTheScreenEdge) {
    OrvantaAppKitSetMenuHandler([](OrvantaMenuSession& s) {
        ASSERT_TRUE(s.clickItem("More"));
        ASSERT_EQ(s.levelCount(), 2);
        const NSRect parent = s.levelWindow(0)->frame(), sub = s.levelWindow(1)->frame();
        EXPECT_LE(NSMaxX(sub), parent.origin.x + 2);
        EXPECT_LE(NSMaxX(parent), NSMaxX(NSScreen::mainScreen()->frame()));
    });
    const NSRect screen = NSScreen::mainScreen()->frame();
    mMenu->popUpMenuPositioningItem(nullptr, NSMakePoint(NSMaxX(screen) - 120, 600), nullptr);
}

// Catches: check marks not drawn, or drawn on unchecked items.
TEST_F(PopupMenus, CheckedItemsShowAMark) {
    Show([](OrvantaMenuSession& s) {
        NSWindow* w = s.levelWindow(0);
        auto darkIn = [&](NSInteger index) {
            const NSRect r = w->convertRectFromScreen(s.itemFrame(0, index));
            const int h = (int)w->frame().size.height;
            int dark = 0;
            for (int y = h - (int)NSMaxY(r); y < h - (int)r.origin.y; ++y)
                for (int x = 2; x < 18; ++x)
                    dark += (OrvantaAppKitPixel(w, x, y) & 0xFF) < 0x80;
            return dark;
        };
        EXPECT_GT(darkIn(3), 0);
        EXPECT_EQ(darkIn(0), 0);
    });
}

// Catches: automatic enabling ignored (an item without an action offered)
// or the enabled flag consulted while automatic enabling is on.
TEST_F(PopupMenus, AutomaticEnablingFollowsTheActions) {
    NSMenu* m = new NSMenu(CFSTR(""));
    NSMenuItem* inert = m->addItemWithTitle(CFSTR("Inert"), nullptr, CFSTR(""));
    NSMenuItem* live = m->addItemWithTitle(CFSTR("Live"), [](NSMenuItem*) {}, CFSTR(""));
    live->setEnabled(false);
    EXPECT_FALSE(m->isItemChoosable(inert));
    EXPECT_TRUE(m->isItemChoosable(live));
    m->setAutoenablesItems(false);
    EXPECT_TRUE(m->isItemChoosable(inert));
    EXPECT_FALSE(m->isItemChoosable(live));
    m->release();
}

// Catches: popUpContextMenu placing the menu anywhere but the event's point
// in the view's window, and a menu cancelled from a timer staying open.
TEST_F(PopupMenus, ContextMenuOpensAtTheEventAndCanBeCancelled) {
    NSWindow* w = MakeWindow(200, 100);
    NSEvent* e = NSEvent::otherEventWithType(NSEventTypeApplicationDefined, NSMakePoint(20, 30), 0, NSDate::date(),
                                             w->windowNumber(), nullptr, 0, 0, 0);
    NSMenu* menu = mMenu;
    NSTimer* t = NSTimer::timerWithTimeInterval(0.05, false, [menu](NSTimer*) { menu->cancelTracking(); });
    NSRunLoop::currentRunLoop()->addTimer(t, NSRunLoopCommonModes);
    bool wasOpen = false;
    OrvantaAppKitSetMenuHandler([&](OrvantaMenuSession& s) {
        EXPECT_DOUBLE_EQ(s.location().x, 120);
        EXPECT_DOUBLE_EQ(s.location().y, 230);
        wasOpen = s.isOpen();
        s.advanceClock(0.1);
        EXPECT_FALSE(s.isOpen());
    });
    NSMenu::popUpContextMenu(mMenu, e, w->contentView());
    EXPECT_TRUE(wasOpen);
    EXPECT_TRUE(chosen.empty());
    w->close();
}

} // namespace
