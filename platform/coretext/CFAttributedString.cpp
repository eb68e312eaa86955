#include "coretext/CTObjects.h"

#include <algorithm>

namespace ct
{
static void HoldOne(const void*, const void* value, void* context)
{
  const CGObject* o = static_cast<const CGObject*>(value);
  if (!o || o->magic != cf::kLiveMagic || o->typeID < cgobj::kColorSpace) return;
  if (*(int*)context > 0)
    cgobj::retain(o);
  else
    cgobj::release(o);
}

void HoldValues(CFDictionaryRef attrs, int delta)
{
  if (attrs) CFDictionaryApplyFunction(attrs, HoldOne, &delta);
}
} // namespace ct

static CFDictionaryRef Keep(CFDictionaryRef d)
{
  if (!d) return nullptr;
  CFRetain(d);
  ct::HoldValues(d, +1);
  return d;
}

static void Drop(CFDictionaryRef d)
{
  if (!d) return;
  ct::HoldValues(d, -1);
  CFRelease(d);
}

__CFAttributedString::~__CFAttributedString()
{
  for (Run& r : runs) Drop(r.attrs);
  if (cached) CFRelease(cached);
}

const __CFAttributedString::Run* __CFAttributedString::runAt(CFIndex loc, CFIndex* start) const
{
  CFIndex s = 0;
  for (const Run& r : runs)
  {
    if (loc < s + r.length)
    {
      *start = s;
      return &r;
    }
    s += r.length;
  }
  return nullptr;
}

static __CFAttributedString* AS(const void* p)
{
  return cgobj::as<__CFAttributedString>(p, cgobj::kAttributedString);
}

static std::u16string Chars(CFStringRef s)
{
  std::u16string out;
  if (!s) return out;
  const CFIndex n = CFStringGetLength(s);
  if (n <= 0) return out;
  out.resize((size_t)n);
  CFStringGetCharacters(s, CFRangeMake(0, n), (UniChar*)out.data());
  return out;
}

static void Invalidate(__CFAttributedString* a)
{
  if (a->cached) CFRelease(a->cached);
  a->cached = nullptr;
}

// Joins neighbouring runs that share their attribute dictionary and drops empty ones.
static void Normalize(__CFAttributedString* a)
{
  std::vector<__CFAttributedString::Run> out;
  for (const auto& r : a->runs)
  {
    if (r.length <= 0)
    {
      Drop(r.attrs);
      continue;
    }
    if (!out.empty() && (out.back().attrs == r.attrs || (out.back().attrs && r.attrs && CFEqual(out.back().attrs, r.attrs))))
    {
      out.back().length += r.length;
      Drop(r.attrs);
      continue;
    }
    out.push_back(r);
  }
  a->runs.swap(out);
}

CFTypeID CFAttributedStringGetTypeID(void) { return cgobj::kAttributedString; }

CFAttributedStringRef CFAttributedStringCreate(CFAllocatorRef, CFStringRef str, CFDictionaryRef attributes)
{
  if (!str) return nullptr;
  __CFAttributedString* a = cgobj::create<__CFAttributedString>();
  if (!a) return nullptr;
  a->text = Chars(str);
  if (!a->text.empty()) a->runs.push_back({(CFIndex)a->text.size(), Keep(attributes)});
  return a;
}

CFMutableAttributedStringRef CFAttributedStringCreateMutable(CFAllocatorRef, CFIndex)
{
  __CFAttributedString* a = cgobj::create<__CFAttributedString>();
  if (a) a->isMutable = true;
  return a;
}

CFMutableAttributedStringRef CFAttributedStringCreateMutableCopy(CFAllocatorRef, CFIndex, CFAttributedStringRef s)
{
  const __CFAttributedString* src = AS(s);
  if (!src) return nullptr;
  __CFAttributedString* a = cgobj::create<__CFAttributedString>();
  if (!a) return nullptr;
  a->isMutable = true;
  a->text = src->text;
  for (const auto& r : src->runs) a->runs.push_back({r.length, Keep(r.attrs)});
  return a;
}

CFAttributedStringRef CFAttributedStringCreateCopy(CFAllocatorRef alloc, CFAttributedStringRef s)
{
  __CFAttributedString* a = CFAttributedStringCreateMutableCopy(alloc, 0, s);
  if (a) a->isMutable = false;
  return a;
}

CFStringRef CFAttributedStringGetString(CFAttributedStringRef s)
{
  const __CFAttributedString* a = AS(s);
  if (!a) return nullptr;
  if (!a->cached)
    a->cached = CFStringCreateWithCharacters(nullptr, (const UniChar*)a->text.data(), (CFIndex)a->text.size());
  return a->cached;
}

CFIndex CFAttributedStringGetLength(CFAttributedStringRef s)
{
  const __CFAttributedString* a = AS(s);
  return a ? (CFIndex)a->text.size() : 0;
}

CFDictionaryRef CFAttributedStringGetAttributes(CFAttributedStringRef s, CFIndex loc, CFRange* effectiveRange)
{
  const __CFAttributedString* a = AS(s);
  CFIndex start = 0;
  const __CFAttributedString::Run* r = a ? a->runAt(loc, &start) : nullptr;
  if (!r || loc < 0)
  {
    if (effectiveRange) *effectiveRange = CFRangeMake(kCFNotFound, 0);
    return nullptr;
  }
  if (effectiveRange) *effectiveRange = CFRangeMake(start, r->length);
  return r->attrs;
}

CFTypeRef CFAttributedStringGetAttribute(CFAttributedStringRef s, CFIndex loc, CFStringRef name, CFRange* range)
{
  CFDictionaryRef d = CFAttributedStringGetAttributes(s, loc, range);
  return (d && name) ? CFDictionaryGetValue(d, name) : nullptr;
}

// Splits runs so that a run boundary falls at loc.
static void SplitAt(__CFAttributedString* a, CFIndex loc)
{
  CFIndex s = 0;
  for (size_t i = 0; i < a->runs.size(); ++i)
  {
    const CFIndex len = a->runs[i].length;
    if (loc > s && loc < s + len)
    {
      __CFAttributedString::Run tail = {s + len - loc, Keep(a->runs[i].attrs)};
      a->runs[i].length = loc - s;
      a->runs.insert(a->runs.begin() + (ptrdiff_t)i + 1, tail);
      return;
    }
    s += len;
  }
}

static bool ValidRange(const __CFAttributedString* a, CFRange r)
{
  return a && a->isMutable && r.location >= 0 && r.length >= 0 && r.location <= (CFIndex)a->text.size() &&
         r.length <= (CFIndex)a->text.size() - r.location;
}

void CFAttributedStringReplaceString(CFMutableAttributedStringRef s, CFRange range, CFStringRef replacement)
{
  __CFAttributedString* a = AS(s);
  if (!ValidRange(a, range)) return;
  const std::u16string rep = Chars(replacement);
  const CFIndex end = range.location + range.length;
  CFDictionaryRef inherit = nullptr;
  CFIndex start = 0;
  if (range.location > 0)
    inherit = a->runAt(range.location - 1, &start)->attrs;
  else if (const __CFAttributedString::Run* r = a->runAt(end, &start))
    inherit = r->attrs;
  std::vector<__CFAttributedString::Run> before, after;
  CFIndex pos = 0;
  for (const auto& r : a->runs)
  {
    const CFIndex b = std::min(r.length, std::max<CFIndex>(0, range.location - pos));
    const CFIndex f = std::min(r.length, std::max<CFIndex>(0, pos + r.length - end));
    if (b > 0) before.push_back({b, Keep(r.attrs)});
    if (f > 0) after.push_back({f, Keep(r.attrs)});
    pos += r.length;
  }
  if (!rep.empty()) before.push_back({(CFIndex)rep.size(), Keep(inherit)});
  before.insert(before.end(), after.begin(), after.end());
  for (auto& r : a->runs) Drop(r.attrs);
  a->runs.swap(before);
  a->text.replace((size_t)range.location, (size_t)range.length, rep);
  Normalize(a);
  Invalidate(a);
}

void CFAttributedStringSetAttributes(CFMutableAttributedStringRef s, CFRange range, CFDictionaryRef replacement,
                                     Boolean clearOtherAttributes)
{
  __CFAttributedString* a = AS(s);
  if (!ValidRange(a, range) || range.length == 0) return;
  SplitAt(a, range.location);
  SplitAt(a, range.location + range.length);
  CFIndex pos = 0;
  for (auto& r : a->runs)
  {
    if (pos >= range.location && pos < range.location + range.length)
    {
      CFDictionaryRef next;
      if (clearOtherAttributes || !r.attrs)
        next = replacement ? CFDictionaryCreateCopy(nullptr, replacement) : nullptr;
      else
      {
        CFMutableDictionaryRef m = CFDictionaryCreateMutableCopy(nullptr, 0, r.attrs);
        if (replacement && m)
        {
          const CFIndex n = CFDictionaryGetCount(replacement);
          std::vector<const void*> keys((size_t)n), values((size_t)n);
          CFDictionaryGetKeysAndValues(replacement, keys.data(), values.data());
          for (CFIndex i = 0; i < n; ++i) CFDictionarySetValue(m, keys[(size_t)i], values[(size_t)i]);
        }
        next = m;
      }
      if (next) ct::HoldValues(next, +1);
      Drop(r.attrs);
      r.attrs = next;
    }
    pos += r.length;
  }
  Normalize(a);
}

void CFAttributedStringSetAttribute(CFMutableAttributedStringRef s, CFRange range, CFStringRef name, CFTypeRef value)
{
  if (!name || !value) return;
  CFDictionaryRef d = CFDictionaryCreate(nullptr, (const void**)&name, &value, 1, &kCFTypeDictionaryKeyCallBacks,
                                         &kCFTypeDictionaryValueCallBacks);
  CFAttributedStringSetAttributes(s, range, d, false);
  if (d) CFRelease(d);
}

void CFAttributedStringRemoveAttribute(CFMutableAttributedStringRef s, CFRange range, CFStringRef name)
{
  __CFAttributedString* a = AS(s);
  if (!ValidRange(a, range) || range.length == 0 || !name) return;
  SplitAt(a, range.location);
  SplitAt(a, range.location + range.length);
  CFIndex pos = 0;
  for (auto& r : a->runs)
  {
    if (pos >= range.location && pos < range.location + range.length && r.attrs)
    {
      CFMutableDictionaryRef m = CFDictionaryCreateMutableCopy(nullptr, 0, r.attrs);
      if (m)
      {
        CFDictionaryRemoveValue(m, name);
        ct::HoldValues(m, +1);
        Drop(r.attrs);
        r.attrs = m;
      }
    }
    pos += r.length;
  }
  Normalize(a);
}

void CFAttributedStringBeginEditing(CFMutableAttributedStringRef) {}
void CFAttributedStringEndEditing(CFMutableAttributedStringRef) {}
