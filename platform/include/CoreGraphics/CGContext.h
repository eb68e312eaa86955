#ifndef CGCONTEXT_H_
#define CGCONTEXT_H_

#include <CoreGraphics/CGBase.h>
#include <CoreGraphics/CGAffineTransform.h>
#include <CoreGraphics/CGColor.h>
#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGGeometry.h>
#include <CoreGraphics/CGImage.h>
#include <CoreGraphics/CGPath.h>

typedef struct CGContext* CGContextRef;

typedef int32_t CGPathDrawingMode;
enum
{
  kCGPathFill = 0,
  kCGPathEOFill = 1,
  kCGPathStroke = 2,
  kCGPathFillStroke = 3,
  kCGPathEOFillStroke = 4
};

typedef int32_t CGTextDrawingMode;
enum
{
  kCGTextFill = 0,
  kCGTextStroke = 1,
  kCGTextFillStroke = 2,
  kCGTextInvisible = 3,
  kCGTextFillClip = 4,
  kCGTextStrokeClip = 5,
  kCGTextFillStrokeClip = 6,
  kCGTextClip = 7
};

typedef int32_t CGInterpolationQuality;
enum
{
  kCGInterpolationDefault = 0,
  kCGInterpolationNone = 1,
  kCGInterpolationLow = 2,
  kCGInterpolationMedium = 4,
  kCGInterpolationHigh = 3
};

// Normal, Copy, Clear, Multiply, Screen, Overlay, Darken, Lighten, the
// dodge/burn/light modes, Difference, Exclusion, the Porter-Duff modes and
// PlusLighter are drawn as published; the colour-model modes (Hue,
// Saturation, Color, Luminosity) and PlusDarker are drawn as Normal.
typedef int32_t CGBlendMode;
enum
{
  kCGBlendModeNormal = 0,
  kCGBlendModeMultiply,
  kCGBlendModeScreen,
  kCGBlendModeOverlay,
  kCGBlendModeDarken,
  kCGBlendModeLighten,
  kCGBlendModeColorDodge,
  kCGBlendModeColorBurn,
  kCGBlendModeSoftLight,
  kCGBlendModeHardLight,
  kCGBlendModeDifference,
  kCGBlendModeExclusion,
  kCGBlendModeHue,
  kCGBlendModeSaturation,
  kCGBlendModeColor,
  kCGBlendModeLuminosity,
  kCGBlendModeClear,
  kCGBlendModeCopy,
  kCGBlendModeSourceIn,
  kCGBlendModeSourceOut,
  kCGBlendModeSourceAtop,
  kCGBlendModeDestinationOver,
  kCGBlendModeDestinationIn,
  kCGBlendModeDestinationOut,
  kCGBlendModeDestinationAtop,
  kCGBlendModeXOR,
  kCGBlendModePlusDarker,
  kCGBlendModePlusLighter
};

CG_EXTERN CFTypeID CGContextGetTypeID(void);
CG_EXTERN CGContextRef CGContextRetain(CGContextRef c);
CG_EXTERN void CGContextRelease(CGContextRef c);
CG_EXTERN void CGContextFlush(CGContextRef c);
CG_EXTERN void CGContextSynchronize(CGContextRef c);

// Graphics state.
CG_EXTERN void CGContextSaveGState(CGContextRef c);
// Does nothing when no state was saved.
CG_EXTERN void CGContextRestoreGState(CGContextRef c);

// Transformation.
CG_EXTERN void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy);
CG_EXTERN void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty);
CG_EXTERN void CGContextRotateCTM(CGContextRef c, CGFloat angle);
CG_EXTERN void CGContextConcatCTM(CGContextRef c, CGAffineTransform transform);
CG_EXTERN CGAffineTransform CGContextGetCTM(CGContextRef c);

// Drawing attributes.
CG_EXTERN void CGContextSetLineWidth(CGContextRef c, CGFloat width);
CG_EXTERN void CGContextSetLineCap(CGContextRef c, CGLineCap cap);
CG_EXTERN void CGContextSetLineJoin(CGContextRef c, CGLineJoin join);
CG_EXTERN void CGContextSetMiterLimit(CGContextRef c, CGFloat limit);
CG_EXTERN void CGContextSetLineDash(CGContextRef c, CGFloat phase, const CGFloat* lengths, size_t count);
CG_EXTERN void CGContextSetFlatness(CGContextRef c, CGFloat flatness);
CG_EXTERN void CGContextSetAlpha(CGContextRef c, CGFloat alpha);
CG_EXTERN void CGContextSetBlendMode(CGContextRef c, CGBlendMode mode);
CG_EXTERN void CGContextSetShouldAntialias(CGContextRef c, bool shouldAntialias);
CG_EXTERN void CGContextSetAllowsAntialiasing(CGContextRef c, bool allowsAntialiasing);
CG_EXTERN void CGContextSetInterpolationQuality(CGContextRef c, CGInterpolationQuality quality);
CG_EXTERN CGInterpolationQuality CGContextGetInterpolationQuality(CGContextRef c);

// Colours.
CG_EXTERN void CGContextSetFillColorWithColor(CGContextRef c, CGColorRef color);
CG_EXTERN void CGContextSetStrokeColorWithColor(CGContextRef c, CGColorRef color);
CG_EXTERN void CGContextSetFillColorSpace(CGContextRef c, CGColorSpaceRef space);
CG_EXTERN void CGContextSetStrokeColorSpace(CGContextRef c, CGColorSpaceRef space);
CG_EXTERN void CGContextSetFillColor(CGContextRef c, const CGFloat* components);
CG_EXTERN void CGContextSetStrokeColor(CGContextRef c, const CGFloat* components);
CG_EXTERN void CGContextSetRGBFillColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
CG_EXTERN void CGContextSetRGBStrokeColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
CG_EXTERN void CGContextSetGrayFillColor(CGContextRef c, CGFloat gray, CGFloat alpha);
CG_EXTERN void CGContextSetGrayStrokeColor(CGContextRef c, CGFloat gray, CGFloat alpha);

// Path construction (points are taken through the CTM current at each call).
CG_EXTERN void CGContextBeginPath(CGContextRef c);
CG_EXTERN void CGContextMoveToPoint(CGContextRef c, CGFloat x, CGFloat y);
CG_EXTERN void CGContextAddLineToPoint(CGContextRef c, CGFloat x, CGFloat y);
CG_EXTERN void CGContextAddCurveToPoint(CGContextRef c, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y,
                                        CGFloat x, CGFloat y);
CG_EXTERN void CGContextAddQuadCurveToPoint(CGContextRef c, CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y);
CG_EXTERN void CGContextClosePath(CGContextRef c);
CG_EXTERN void CGContextAddRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextAddRects(CGContextRef c, const CGRect* rects, size_t count);
CG_EXTERN void CGContextAddLines(CGContextRef c, const CGPoint* points, size_t count);
CG_EXTERN void CGContextAddEllipseInRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextAddArc(CGContextRef c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle,
                               CGFloat endAngle, int clockwise);
CG_EXTERN void CGContextAddPath(CGContextRef c, CGPathRef path);
CG_EXTERN bool CGContextIsPathEmpty(CGContextRef c);
CG_EXTERN CGPoint CGContextGetPathCurrentPoint(CGContextRef c);
CG_EXTERN CGRect CGContextGetPathBoundingBox(CGContextRef c);

// Path drawing (each consumes the current path).
CG_EXTERN void CGContextDrawPath(CGContextRef c, CGPathDrawingMode mode);
CG_EXTERN void CGContextFillPath(CGContextRef c);
CG_EXTERN void CGContextEOFillPath(CGContextRef c);
CG_EXTERN void CGContextStrokePath(CGContextRef c);
CG_EXTERN void CGContextFillRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextFillRects(CGContextRef c, const CGRect* rects, size_t count);
CG_EXTERN void CGContextStrokeRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextStrokeRectWithWidth(CGContextRef c, CGRect rect, CGFloat width);
CG_EXTERN void CGContextClearRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextFillEllipseInRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextStrokeEllipseInRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextStrokeLineSegments(CGContextRef c, const CGPoint* points, size_t count);

// Clipping. The clip is kept as a device rectangle: a clip through a rotated
// CTM or by a path clips to the bounding box of the shape.
CG_EXTERN void CGContextClip(CGContextRef c);
CG_EXTERN void CGContextEOClip(CGContextRef c);
CG_EXTERN void CGContextClipToRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextClipToRects(CGContextRef c, const CGRect* rects, size_t count);
CG_EXTERN CGRect CGContextGetClipBoundingBox(CGContextRef c);

// Images.
CG_EXTERN void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image);

// Text state used by CoreText.
CG_EXTERN void CGContextSetTextMatrix(CGContextRef c, CGAffineTransform t);
CG_EXTERN CGAffineTransform CGContextGetTextMatrix(CGContextRef c);
CG_EXTERN void CGContextSetTextPosition(CGContextRef c, CGFloat x, CGFloat y);
CG_EXTERN CGPoint CGContextGetTextPosition(CGContextRef c);
CG_EXTERN void CGContextSetTextDrawingMode(CGContextRef c, CGTextDrawingMode mode);
CG_EXTERN void CGContextSetShouldSmoothFonts(CGContextRef c, bool shouldSmoothFonts);
CG_EXTERN void CGContextSetAllowsFontSmoothing(CGContextRef c, bool allowsFontSmoothing);

// Coordinate conversion between user space and device space.
CG_EXTERN CGAffineTransform CGContextGetUserSpaceToDeviceSpaceTransform(CGContextRef c);
CG_EXTERN CGPoint CGContextConvertPointToDeviceSpace(CGContextRef c, CGPoint point);
CG_EXTERN CGPoint CGContextConvertPointToUserSpace(CGContextRef c, CGPoint point);
CG_EXTERN CGRect CGContextConvertRectToDeviceSpace(CGContextRef c, CGRect rect);
CG_EXTERN CGRect CGContextConvertRectToUserSpace(CGContextRef c, CGRect rect);

#endif
