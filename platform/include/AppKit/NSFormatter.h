#ifndef APPKIT_NSFORMATTER_H_
#define APPKIT_NSFORMATTER_H_

// Formatters turn a control's object value into text and back, and vet
// every edit of the text while the user types. Object values (AppKit's id)
// are CoreFoundation objects here.

#include <AppKit/NSObject.h>

#include <vector>

class NSFormatter : public NSObject
{
public:
  // Main thread; may allocate. The text for an object value (get rule: the
  // formatter or the object owns it), or null when it cannot format it.
  virtual CFStringRef stringForObjectValue(CFTypeRef object) = 0;
  // Main thread; may allocate. Parses text into *object (a new object the
  // caller releases); on failure returns false and may set *error (a new string).
  virtual bool getObjectValue(CFTypeRef* object, CFStringRef string, CFStringRef* error) = 0;
  // Main thread; may allocate. Whether the text an edit would produce is
  // acceptable. On false the edit is refused, unless *newString was set (a
  // new string the caller releases), which then replaces the text. Default true.
  virtual bool isPartialStringValid(CFStringRef partialString, CFStringRef* newString, CFStringRef* error);
};

// A set of UTF-16 characters.
class NSCharacterSet : public NSObject
{
public:
  // characterSetWithCharactersInString: (autoreleased); the initialiser form is the constructor.
  static NSCharacterSet* characterSetWithCharactersInString(CFStringRef characters);
  static NSCharacterSet* decimalDigitCharacterSet();
  explicit NSCharacterSet(CFStringRef characters);
  bool characterIsMember(UniChar c) const;
  // Autoreleased: every character not in this set.
  NSCharacterSet* invertedSet() const;

private:
  NSCharacterSet() = default;
  std::vector<UniChar> mMembers; // sorted
  bool mInverted = false;
};

#endif
