#include <AppKit/NSColorPanel.h>

#include "appkit/NSModal.h"
#include "appkit/NSTextDrawing.h"

NSColorPanel* NSColorPanel::sharedColorPanel()
{
  static NSColorPanel* panel = new NSColorPanel; // one per process, as AppKit's
  return panel;
}

NSColorPanel::NSColorPanel() : mColor(NSCreateColor(1, 1, 1)) {}

void NSColorPanel::setColor(CGColorRef color)
{
  if (!color) return;
  CGColorRetain(color);
  CGColorRelease(mColor);
  mColor = color;
}

NSModalResponse NSColorPanel::runModal()
{
  OrvantaModalRequest q;
  q.kind = OrvantaModalRequest::ColorPanel;
  const CGFloat* c = CGColorGetComponents(mColor);
  const size_t n = CGColorGetNumberOfComponents(mColor);
  if (c && n >= 4)
    for (int i = 0; i < 4; ++i) q.color[i] = c[i];
  else if (c && n == 2)
    q.color[0] = q.color[1] = q.color[2] = c[0], q.color[3] = c[1];
  const OrvantaModalAnswer a = NSRunModalRequest(q);
  if (a.cancelled) return NSModalResponseCancel;
  CGColorRef chosen = NSCreateColor(a.color[0], a.color[1], a.color[2], a.color[3]);
  setColor(chosen);
  CGColorRelease(chosen);
  if (mAction) mAction(this);
  return NSModalResponseOK;
}
