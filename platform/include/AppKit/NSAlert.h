#ifndef APPKIT_NSALERT_H_
#define APPKIT_NSALERT_H_

// A modal alert. Shown with zenity when it is installed and a display is
// open; otherwise (or when nobody can answer) runModal answers
// NSModalResponseCancel, as if the user had closed it.

#include <AppKit/NSApplication.h>

#include <vector>

typedef enum NSAlertStyle : NSUInteger {
  NSAlertStyleWarning = 0,
  NSAlertStyleInformational = 1,
  NSAlertStyleCritical = 2,
} NSAlertStyle;

enum : NSModalResponse {
  NSAlertFirstButtonReturn = 1000,
  NSAlertSecondButtonReturn = 1001,
  NSAlertThirdButtonReturn = 1002,
};

// The answers of the older alertWithMessageText form.
enum : NSInteger {
  NSAlertDefaultReturn = 1,
  NSAlertAlternateReturn = 0,
  NSAlertOtherReturn = -1,
  NSAlertErrorReturn = -2,
};

class NSAlert : public NSObject
{
public:
  NSAlert();
  // alertWithMessageText:defaultButton:alternateButton:otherButton:informativeTextWithFormat:
  // (autoreleased). A null default button is "OK"; null alternate and other
  // buttons are left out. runModal then answers NSAlertDefaultReturn,
  // NSAlertAlternateReturn or NSAlertOtherReturn (NSAlertErrorReturn when cancelled).
  static NSAlert* alertWithMessageText(CFStringRef message, CFStringRef defaultButton, CFStringRef alternateButton,
                                       CFStringRef otherButton, CFStringRef informativeText);
  void setMessageText(CFStringRef text);
  void setInformativeText(CFStringRef text);
  void setAlertStyle(NSAlertStyle style) { mStyle = style; }
  // The first button added is the default (Return); without any, "OK".
  void addButtonWithTitle(CFStringRef title);
  // Main thread; modal. NSAlertFirstButtonReturn + the button's index, or NSModalResponseCancel.
  NSModalResponse runModal();

protected:
  ~NSAlert() override;

private:
  CFStringRef mMessage = nullptr;
  CFStringRef mInformative = nullptr;
  std::vector<CFStringRef> mButtons;
  NSAlertStyle mStyle = NSAlertStyleWarning;
  bool mLegacy = false;
  bool mHasOther = false;
};

#endif
