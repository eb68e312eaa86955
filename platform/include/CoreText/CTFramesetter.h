#ifndef CTFRAMESETTER_H_
#define CTFRAMESETTER_H_

#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CTFrame.h>

typedef const struct __CTFramesetter* CTFramesetterRef;

CG_EXTERN_C_BEGIN

CFTypeID CTFramesetterGetTypeID(void);
CTFramesetterRef CTFramesetterCreateWithAttributedString(CFAttributedStringRef attrString);
// Lays the text out in the bounding box of the path: lines break at line
// feeds, carriage returns and paragraph separators and wrap at spaces (or
// anywhere in a word longer than the line); lines that do not fit are left out.
CTFrameRef CTFramesetterCreateFrame(CTFramesetterRef framesetter, CFRange stringRange, CGPathRef path,
                                    CFDictionaryRef frameAttributes);
CGSize CTFramesetterSuggestFrameSizeWithConstraints(CTFramesetterRef framesetter, CFRange stringRange,
                                                    CFDictionaryRef frameAttributes, CGSize constraints,
                                                    CFRange* fitRange);

CG_EXTERN_C_END

#endif
