#include <AppKit/NSFormatter.h>

#include <algorithm>

bool NSFormatter::isPartialStringValid(CFStringRef, CFStringRef*, CFStringRef*) { return true; }

NSCharacterSet::NSCharacterSet(CFStringRef characters)
{
  const CFIndex n = characters ? CFStringGetLength(characters) : 0;
  mMembers.resize((size_t)n);
  if (n) CFStringGetCharacters(characters, CFRangeMake(0, n), mMembers.data());
  std::sort(mMembers.begin(), mMembers.end());
  mMembers.erase(std::unique(mMembers.begin(), mMembers.end()), mMembers.end());
}

NSCharacterSet* NSCharacterSet::characterSetWithCharactersInString(CFStringRef characters)
{
  return static_cast<NSCharacterSet*>((new NSCharacterSet(characters))->autorelease());
}

NSCharacterSet* NSCharacterSet::decimalDigitCharacterSet() { return characterSetWithCharactersInString(CFSTR("0123456789")); }

bool NSCharacterSet::characterIsMember(UniChar c) const
{
  return std::binary_search(mMembers.begin(), mMembers.end(), c) != mInverted;
}

NSCharacterSet* NSCharacterSet::invertedSet() const
{
  NSCharacterSet* s = new NSCharacterSet;
  s->mMembers = mMembers;
  s->mInverted = !mInverted;
  return static_cast<NSCharacterSet*>(s->autorelease());
}
