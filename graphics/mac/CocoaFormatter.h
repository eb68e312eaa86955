#pragma once

#include <AppKit/AppKit.h>

// Vets a text entry as the user types: only the characters of a set, at
// most a number of characters, at most an integer value. Main thread.
class CocoaFormatter_vOrvanta_au : public NSFormatter
{
public:
  CocoaFormatter_vOrvanta_au() = default;

  // Main thread, at every edit; no allocation, no lock.
  bool isPartialStringValid(CFStringRef partialString, CFStringRef* newString, CFStringRef* error) override;
  // Main thread; no allocation: the object itself when it is a string, else null.
  CFStringRef stringForObjectValue(CFTypeRef object) override;
  // Main thread; allocates: a copy of the string; always true.
  bool getObjectValue(CFTypeRef* object, CFStringRef string, CFStringRef* error) override;

  // Retains the new set and releases the old one (null: any character).
  void setAcceptableCharacterSet(NSCharacterSet* set);
  // 0: no limit.
  void setMaximumLength(int len) { maxLength = len; }
  void setMaximumValue(int value) { maxValue = value; }

protected:
  ~CocoaFormatter_vOrvanta_au() override;

private:
  NSCharacterSet* filterCharacterSet = nullptr;
  int maxLength = 0;
  int maxValue = 0;
};
