// Run-loop timers of the window-system stand-in, driven by the headless clock.
#include "platform/appkit_testing.h"

#include <cmath>

namespace {

using Timers = AppKitTest;

struct Target {
    std::vector<double> fired;
    int stopAfter = 0;
    void onTimer(NSTimer* t) {
        fired.push_back(NSDate::date());
        if (stopAfter && (int)fired.size() == stopAfter)
            t->invalidate();
    }
};

// Catches: a repeating timer that drifts, fires once only, or fires at an
// integer-rounded interval (1 / 25 is 0.04 s, not 0).
TEST_F(Timers, RepeatingTimerFiresOnItsGridUntilInvalidated) {
    NSAutoreleasePool pool;
    Target target;
    const double start = NSDate::date();
    NSTimer* t = NSTimer::timerWithTimeInterval(1.0 / 25, &target, &Target::onTimer, nullptr, true);
    NSRunLoop::currentRunLoop()->addTimer(t, NSRunLoopCommonModes);
    OrvantaAppKitAdvanceClock(0.2001);
    ASSERT_EQ(target.fired.size(), 5u);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_NEAR(target.fired[i] - start, 0.04 * (double)(i + 1), 1e-9);
    t->invalidate();
    OrvantaAppKitAdvanceClock(1);
    EXPECT_EQ(target.fired.size(), 5u);
}

// Catches: invalidate inside the timer's own action not taking effect, and
// a one-shot timer firing again.
TEST_F(Timers, InvalidationFromTheActionAndOneShotTimers) {
    NSAutoreleasePool pool;
    Target target;
    target.stopAfter = 3;
    NSTimer::scheduledTimerWithTimeInterval(0.01, &target, &Target::onTimer, nullptr, true);
    int once = 0;
    NSTimer::scheduledTimerWithTimeInterval(0.015, false, [&once](NSTimer*) { ++once; });
    OrvantaAppKitAdvanceClock(1);
    EXPECT_EQ(target.fired.size(), 3u);
    EXPECT_EQ(once, 1);
}

// Catches: timers of the default mode firing during menu tracking, timers of
// the common modes stopping during it, and a held-back repeating timer
// firing once per missed date instead of once.
TEST_F(Timers, ModesDecideWhichTimersFireWhileAMenuTracks) {
    NSAutoreleasePool pool;
    Target common, plain;
    const double start = NSDate::date();
    NSTimer* c = NSTimer::timerWithTimeInterval(0.04, &common, &Target::onTimer, nullptr, true);
    NSRunLoop::currentRunLoop()->addTimer(c, NSRunLoopCommonModes);
    NSTimer* p = NSTimer::timerWithTimeInterval(0.04, &plain, &Target::onTimer, nullptr, true);
    NSRunLoop::currentRunLoop()->addTimer(p, NSDefaultRunLoopMode);

    NSMenu* menu = new NSMenu(CFSTR(""));
    menu->addItemWithTitle(CFSTR("Item"), [](NSMenuItem*) {}, CFSTR(""));
    OrvantaAppKitSetMenuHandler([](OrvantaMenuSession& s) { s.advanceClock(0.13); });
    menu->popUpMenuPositioningItem(nullptr, NSMakePoint(100, 500), nullptr);
    OrvantaAppKitSetMenuHandler(nullptr);
    menu->release();
    EXPECT_EQ(common.fired.size(), 3u);
    EXPECT_TRUE(plain.fired.empty());

    OrvantaAppKitRunPending();
    ASSERT_EQ(plain.fired.size(), 1u) << "missed dates are not made up";
    EXPECT_NEAR(p->fireDate() - start, 0.16, 1e-9);
    OrvantaAppKitAdvanceClock(0.05);
    EXPECT_EQ(plain.fired.size(), 2u);
    p->invalidate();
    c->invalidate();
}

} // namespace
