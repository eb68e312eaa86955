#ifndef CORETEXT_H_
#define CORETEXT_H_

#include <CoreGraphics/CoreGraphics.h>
#include <CoreFoundation/CFAttributedString.h>
#include <CoreText/CTFont.h>
#include <CoreText/CTFrame.h>
#include <CoreText/CTFramesetter.h>
#include <CoreText/CTLine.h>
#include <CoreText/CTStringAttributes.h>

#endif
