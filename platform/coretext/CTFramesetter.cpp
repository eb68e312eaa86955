#include "coretext/CTObjects.h"

#include <math.h>

#include <algorithm>

__CTFramesetter::~__CTFramesetter() { cgobj::release(string); }

__CTFrame::~__CTFrame()
{
  if (array) CFRelease(array);
  for (__CTLine* l : lines) cgobj::release(l);
  CGPathRelease(path);
}

static __CTFramesetter* Setter(const void* p) { return cgobj::as<__CTFramesetter>(p, cgobj::kFramesetter); }
static __CTFrame* Frame(const void* p) { return cgobj::as<__CTFrame>(p, cgobj::kFrame); }

namespace
{
bool IsBreak(char16_t c) { return c == '\n' || c == '\r' || c == 0x2028 || c == 0x2029; }

struct LaidOut
{
  std::vector<__CTLine*> lines;
  std::vector<double> baselines; // distance of each baseline below the top
  CFIndex visibleEnd = 0;
  double height = 0, width = 0;
};

// Breaks [start, end) of the text into lines no wider than maxWidth, each
// paragraph separately; stops before the first line that would pass maxHeight.
LaidOut Layout(CFAttributedStringRef s, CFIndex start, CFIndex end, double maxWidth, double maxHeight)
{
  LaidOut out;
  out.visibleEnd = start;
  if (!cf::isType(s, cf::kTypeAttributedString)) return out;
  const UniChar* t = s->characters();
  double y = 0;
  CFIndex pos = start;
  while (pos < end)
  {
    CFIndex contentEnd = pos;
    while (contentEnd < end && !IsBreak(t[(size_t)contentEnd])) ++contentEnd;
    CFIndex paraEnd = contentEnd;
    if (paraEnd < end)
    {
      paraEnd += (t[(size_t)paraEnd] == '\r' && paraEnd + 1 < end && t[(size_t)paraEnd + 1] == '\n') ? 2 : 1;
    }
    __CTLine* para = ct::BuildLine(s, CFRangeMake(pos, contentEnd - pos));
    if (!para) break;
    CFIndex lineStart = pos;
    bool stop = false;
    do
    {
      CFIndex lineEnd = contentEnd;
      const double x0 = para->charX[(size_t)(lineStart - pos)];
      if (para->charX[(size_t)(contentEnd - pos)] - x0 > maxWidth)
      {
        // Last break opportunity (after a space) before the width runs out;
        // else as many characters as fit, at least one.
        CFIndex fit = lineStart + 1;
        while (fit < contentEnd && para->charX[(size_t)(fit + 1 - pos)] - x0 <= maxWidth) ++fit;
        CFIndex brk = fit;
        while (brk > lineStart && t[(size_t)brk - 1] != ' ') --brk;
        lineEnd = brk > lineStart ? brk : fit;
        // Spaces at the break hang in the margin on this line.
        while (lineEnd < contentEnd && t[(size_t)lineEnd] == ' ') ++lineEnd;
      }
      const CFIndex rangeEnd = lineEnd == contentEnd ? paraEnd : lineEnd;
      __CTLine* line = ct::BuildLine(s, CFRangeMake(lineStart, rangeEnd - lineStart));
      if (!line)
      {
        stop = true;
        break;
      }
      const double baseline = y + line->ascent;
      if (baseline + line->descent > maxHeight + 1e-9)
      {
        cgobj::release(line);
        stop = true;
        break;
      }
      out.lines.push_back(line);
      out.baselines.push_back(baseline);
      out.width = std::max(out.width, line->width);
      y = baseline + line->descent + line->leading;
      out.height = y;
      out.visibleEnd = rangeEnd;
      lineStart = rangeEnd;
    } while (lineStart < contentEnd);
    cgobj::release(para);
    if (stop) break;
    pos = paraEnd;
  }
  return out;
}
} // namespace

CFTypeID CTFramesetterGetTypeID(void) { return cgobj::kFramesetter; }
CFTypeID CTFrameGetTypeID(void) { return cgobj::kFrame; }

CTFramesetterRef CTFramesetterCreateWithAttributedString(CFAttributedStringRef attrString)
{
  if (!cf::isType(attrString, cf::kTypeAttributedString)) return nullptr;
  __CTFramesetter* f = cgobj::create<__CTFramesetter>();
  if (!f) return nullptr;
  f->string = CFAttributedStringCreateCopy(nullptr, attrString);
  if (!f->string)
  {
    cgobj::release(f);
    return nullptr;
  }
  return f;
}

static bool ResolveRange(CFAttributedStringRef s, CFRange r, CFIndex* start, CFIndex* end)
{
  const CFIndex len = CFAttributedStringGetLength(s);
  if (r.location < 0 || r.length < 0 || r.location > len) return false;
  *start = r.location;
  *end = (r.length == 0 || r.length > len - r.location) ? len : r.location + r.length;
  return true;
}

CTFrameRef CTFramesetterCreateFrame(CTFramesetterRef framesetter, CFRange stringRange, CGPathRef path,
                                    CFDictionaryRef)
{
  __CTFramesetter* fs = Setter(framesetter);
  CFIndex start, end;
  if (!fs || !path || !ResolveRange(fs->string, stringRange, &start, &end)) return nullptr;
  const CGRect box = CGPathGetBoundingBox(path);
  if (CGRectIsNull(box)) return nullptr;
  __CTFrame* fr = cgobj::create<__CTFrame>();
  if (!fr) return nullptr;
  fr->path = CGPathRetain(path);
  fr->range = CFRangeMake(start, end - start);
  LaidOut lo = Layout(fs->string, start, end, box.size.width, box.size.height);
  fr->lines = std::move(lo.lines);
  for (double b : lo.baselines) fr->origins.push_back(CGPointMake(0, box.size.height - b));
  fr->visible = CFRangeMake(start, lo.visibleEnd - start);
  std::vector<const void*> values(fr->lines.begin(), fr->lines.end());
  fr->array = CFArrayCreate(nullptr, values.data(), (CFIndex)values.size(), nullptr);
  return fr;
}

CGSize CTFramesetterSuggestFrameSizeWithConstraints(CTFramesetterRef framesetter, CFRange stringRange,
                                                    CFDictionaryRef, CGSize constraints, CFRange* fitRange)
{
  __CTFramesetter* fs = Setter(framesetter);
  CFIndex start, end;
  if (!fs || !ResolveRange(fs->string, stringRange, &start, &end))
  {
    if (fitRange) *fitRange = CFRangeMake(0, 0);
    return CGSizeZero;
  }
  const double w = constraints.width > 0 ? constraints.width : 1e300;
  const double h = constraints.height > 0 ? constraints.height : 1e300;
  LaidOut lo = Layout(fs->string, start, end, w, h);
  for (__CTLine* l : lo.lines) cgobj::release(l);
  if (fitRange) *fitRange = CFRangeMake(start, lo.visibleEnd - start);
  return CGSizeMake(ceil(lo.width), ceil(lo.height));
}

CFRange CTFrameGetStringRange(CTFrameRef frame)
{
  __CTFrame* f = Frame(frame);
  return f ? f->range : CFRangeMake(0, 0);
}

CFRange CTFrameGetVisibleStringRange(CTFrameRef frame)
{
  __CTFrame* f = Frame(frame);
  return f ? f->visible : CFRangeMake(0, 0);
}

CGPathRef CTFrameGetPath(CTFrameRef frame)
{
  __CTFrame* f = Frame(frame);
  return f ? f->path : nullptr;
}

CFArrayRef CTFrameGetLines(CTFrameRef frame)
{
  __CTFrame* f = Frame(frame);
  return f ? f->array : nullptr;
}

void CTFrameGetLineOrigins(CTFrameRef frame, CFRange range, CGPoint origins[])
{
  __CTFrame* f = Frame(frame);
  if (!f || !origins || range.location < 0 || range.length < 0) return;
  const CFIndex n = (CFIndex)f->origins.size();
  const CFIndex end = range.length == 0 ? n : std::min(n, range.location + range.length);
  for (CFIndex i = range.location; i < end; ++i) origins[i - range.location] = f->origins[(size_t)i];
}

void CTFrameDraw(CTFrameRef frame, CGContextRef context)
{
  __CTFrame* f = Frame(frame);
  if (!f || !context) return;
  const CGRect box = CGPathGetBoundingBox(f->path);
  for (size_t i = 0; i < f->lines.size(); ++i)
  {
    CGContextSetTextPosition(context, box.origin.x + f->origins[i].x, box.origin.y + f->origins[i].y);
    CTLineDraw(f->lines[i], context);
  }
}
