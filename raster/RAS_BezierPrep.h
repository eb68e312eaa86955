#pragma once

// The preparation the Bezier curves and the Bezier fills share: the end
// points ordered along the walking axis, the curve as a polynomial, the
// parameter range that lies between 0 and the far limit of that axis, and the
// number of segments.

// Segment counts above this are taken as this; a curve across the largest
// bitmap the editor draws needs far fewer.
constexpr int RAS_MAX_CURVE_SEGMENTS = 4096;

struct _RAS_BezierPrep
{
  // u(t) = ((au t + bu) t + cu) t + du along the walking axis, v(t) across.
  double au, bu, cu, du, av, bv, cv, dv;
  double t0, t1;
  // The clipped end points.
  double us, vs, ue, ve;
  int n;
  double U(double t) const { return ((au * t + bu) * t + cu) * t + du; }
  double V(double t) const { return ((av * t + bv) * t + cv) * t + dv; }
};

// Control points u[0..3], v[0..3] (a quadratic has u[3] and v[3] unused).
// The start is clipped to u = 0 when it lies below 0; the end is clipped to
// endTarget when it lies at or beyond endTrigger; the segment count follows
// the control polygon's length over that range. False when nothing is left or
// a value is not finite.
bool _RAS_PrepBezier(const double u[4], const double v[4], bool cubic, double endTrigger, double endTarget, double tol,
                     _RAS_BezierPrep* out);
