#include <AppKit/NSAlert.h>

#include "appkit/NSModal.h"
#include "appkit/NSTextDrawing.h"

NSAlert::NSAlert() = default;

NSAlert::~NSAlert()
{
  if (mMessage) CFRelease(mMessage);
  if (mInformative) CFRelease(mInformative);
  for (CFStringRef b : mButtons) CFRelease(b);
}

NSAlert* NSAlert::alertWithMessageText(CFStringRef message, CFStringRef defaultButton, CFStringRef alternateButton,
                                       CFStringRef otherButton, CFStringRef informativeText)
{
  NSAlert* a = new NSAlert;
  a->mLegacy = true;
  a->setMessageText(message);
  a->setInformativeText(informativeText);
  a->addButtonWithTitle(defaultButton ? defaultButton : CFSTR("OK"));
  if (alternateButton) a->addButtonWithTitle(alternateButton);
  if (otherButton)
  {
    // Without an alternate button the other one still answers as "other".
    if (!alternateButton) a->mButtons.push_back(nullptr);
    a->addButtonWithTitle(otherButton);
    a->mHasOther = true;
  }
  return static_cast<NSAlert*>(a->autorelease());
}

void NSAlert::setMessageText(CFStringRef text) { NSReplaceString(&mMessage, text); }

void NSAlert::setInformativeText(CFStringRef text) { NSReplaceString(&mInformative, text); }

void NSAlert::addButtonWithTitle(CFStringRef title) { mButtons.push_back(CFStringCreateCopy(nullptr, title ? title : CFSTR(""))); }

NSModalResponse NSAlert::runModal()
{
  OrvantaModalRequest q;
  q.kind = OrvantaModalRequest::Alert;
  q.message = NSUtf8(mMessage);
  q.informativeText = NSUtf8(mInformative);
  // Placeholders of absent buttons are not shown; remember where each shown one came from.
  std::vector<size_t> slot;
  for (size_t i = 0; i < mButtons.size(); ++i)
    if (mButtons[i])
    {
      q.buttons.push_back(NSUtf8(mButtons[i]));
      slot.push_back(i);
    }
  if (q.buttons.empty())
  {
    q.buttons.push_back("OK");
    slot.push_back(0);
  }
  const OrvantaModalAnswer a = NSRunModalRequest(q);
  const bool valid = !a.cancelled && a.button >= 0 && (size_t)a.button < slot.size();
  if (!mLegacy) return valid ? NSAlertFirstButtonReturn + (NSModalResponse)slot[(size_t)a.button] : NSModalResponseCancel;
  if (!valid) return NSAlertErrorReturn;
  switch (slot[(size_t)a.button])
  {
    case 0: return NSAlertDefaultReturn;
    case 1: return NSAlertAlternateReturn;
    default: return NSAlertOtherReturn;
  }
}
