#ifndef APPKIT_NSCOLORPANEL_H_
#define APPKIT_NSCOLORPANEL_H_

// The shared colour picker. AppKit's panel is not modal and reports changes
// to its target; the stand-in's (zenity when installed) is modal: runModal
// asks once and, when the user confirms, sets the colour and runs the action.

#include <AppKit/NSApplication.h>

#include <functional>

class NSColorPanel : public NSObject
{
public:
  static NSColorPanel* sharedColorPanel();
  // Retains the colour (CGColorRef stands for NSColor).
  void setColor(CGColorRef color);
  // Get rule.
  CGColorRef color() const { return mColor; }
  // Main thread, after a confirmed choice; may allocate.
  void setAction(std::function<void(NSColorPanel*)> action) { mAction = std::move(action); }
  // Main thread; modal. NSModalResponseOK when the user chose a colour.
  NSModalResponse runModal();
  void orderFront(NSObject*) { runModal(); }

private:
  NSColorPanel();
  CGColorRef mColor;
  std::function<void(NSColorPanel*)> mAction;
};

#endif
