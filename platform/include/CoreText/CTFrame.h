#ifndef CTFRAME_H_
#define CTFRAME_H_

#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CTLine.h>

typedef const struct __CTFrame* CTFrameRef;

CG_EXTERN_C_BEGIN

CFTypeID CTFrameGetTypeID(void);
CFRange CTFrameGetStringRange(CTFrameRef frame);
CFRange CTFrameGetVisibleStringRange(CTFrameRef frame);
CGPathRef CTFrameGetPath(CTFrameRef frame);
// The frame's lines (CTLineRef), owned by the frame.
CFArrayRef CTFrameGetLines(CTFrameRef frame);
// Baseline origins of the lines relative to the frame's bounding box origin
// (y up); a range length of 0 means to the last line.
void CTFrameGetLineOrigins(CTFrameRef frame, CFRange range, CGPoint origins[]);
void CTFrameDraw(CTFrameRef frame, CGContextRef context);

CG_EXTERN_C_END

#endif
