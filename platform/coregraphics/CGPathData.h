#pragma once

#include "coregraphics/CGObject.h"

#include <CoreGraphics/CGPath.h>

#include <vector>

// The elements of a path, in the coordinates they were added in.
struct CGPath : CGObject
{
  struct Element
  {
    CGPathElementType type;
    CGPoint pts[3];
  };

  CGPath() : CGObject(cgobj::kPath) {}

  void moveTo(CGPoint p);
  void lineTo(CGPoint p);
  void quadTo(CGPoint c, CGPoint p);
  void curveTo(CGPoint c1, CGPoint c2, CGPoint p);
  void close();
  void addRect(CGRect r, const CGAffineTransform* m);
  void addEllipse(CGRect r, const CGAffineTransform* m);
  void append(const CGPath& other, const CGAffineTransform* m);
  void clear();
  bool empty() const { return elements.empty(); }
  CGRect boundingBox() const;

  std::vector<Element> elements;
  CGPoint current{0, 0};
  CGPoint subpathStart{0, 0};
  bool hasCurrent = false;
};
