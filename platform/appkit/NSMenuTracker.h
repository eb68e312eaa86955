#pragma once

#include <AppKit/OrvantaAppKitTesting.h>

#include <vector>

class MenuLevelView;

// One popup menu while it is open: its levels (the menu and the open
// submenus), each in a window of its own, the highlight, and the choice.
// Both window systems use it; the headless one hands it to the test's
// menu handler, X11 feeds it the pointer and keyboard events.
class NSMenuTracker : public OrvantaMenuSession
{
public:
  // Main thread; modal. Shows `menu` with its top-left at `screenPoint` and
  // tracks it; runs the chosen item's action. True when one was chosen.
  static bool Run(NSMenu* menu, NSPoint screenPoint, NSWindow* owner);
  // Closes the open menu without a choice when `menu` is one of its levels.
  static void Cancel(NSMenu* menu);

  int levelCount() override { return (int)mLevels.size(); }
  NSMenu* menuAt(int level) override;
  NSPoint location() override { return mLocation; }
  NSRect itemFrame(int level, NSInteger index) override;
  std::string shownTitle(int level, NSInteger index) override;
  NSWindow* levelWindow(int level) override;
  void moveTo(NSPoint screenPoint) override;
  void click(NSPoint screenPoint) override;
  void mouseUp(NSPoint screenPoint) override;
  void key(unsigned short keyCode) override;
  bool clickItem(const std::string& title) override;
  void advanceClock(double seconds) override;
  bool isOpen() override { return !mDone; }

  struct Level
  {
    NSMenu* menu;
    NSWindow* window;
    MenuLevelView* view = nullptr;
    std::vector<NSRect> rows; // screen coordinates
    NSInteger highlighted = -1;
  };

private:
  NSMenuTracker(NSMenu* menu, NSPoint screenPoint);
  ~NSMenuTracker() override;
  // Without room on the screen to the right of topLeft, the level ends at `rightIfNoRoom` instead.
  void openLevel(NSMenu* menu, NSPoint topLeft, CGFloat rightIfNoRoom);
  void closeLevelsAbove(size_t level);
  void handle(NSEvent* event);
  void pointer(NSPoint screen, bool down, bool up);
  bool rowAt(NSPoint screen, size_t* level, NSInteger* row) const;
  void highlight(size_t level, NSInteger row);
  void moveHighlight(int direction);
  void choose(size_t level, NSInteger row);
  void finish(NSMenuItem* chosen);

  std::vector<Level> mLevels;
  NSPoint mLocation;
  bool mDone = false;
  // Whether a mouse up may choose: not the release of the click that opened the menu.
  bool mArmed = false;
  double mOpenedAt = 0;
  bool mSeenPointer = false;
  NSPoint mFirstPointer{0, 0};
  NSMenuItem* mChosen = nullptr;
};
