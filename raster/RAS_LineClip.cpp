#include "raster/RAS_LineClip.h"

#include "raster/RAS_Lines.h"
#include "raster/RAS_Plot.h"

namespace {

// Each end is moved at most twice, but the bound keeps a pathological case
// from ever looping.
constexpr int kMaxClipSteps = 12;

template <class T>
int OutCode(T x, T y, T xmax, T ymax)
{
  int c = 0;
  if (x < 0)
    c |= 1;
  else if (x > xmax)
    c |= 2;
  if (y < 0)
    c |= 4;
  else if (y > ymax)
    c |= 8;
  return c;
}

// b + (db * n) / d truncated toward zero, exactly.
long long Along(long long b, long long db, long long n, long long d)
{
  return b + (long long)((__int128)db * n / d);
}

} // namespace

bool _RAS_ClipIntLine(long long* x1, long long* y1, long long* x2, long long* y2, long long W, long long H)
{
  if (W < 1 || H < 1) return false;
  const long long xm = W - 1, ym = H - 1;
  int c1 = OutCode(*x1, *y1, xm, ym), c2 = OutCode(*x2, *y2, xm, ym);
  for (int i = 0; i < kMaxClipSteps && (c1 | c2); i++)
  {
    if (c1 & c2) return false;
    const bool first = c1 != 0;
    const int c = first ? c1 : c2;
    const long long X1 = *x1, Y1 = *y1, dx = *x2 - *x1, dy = *y2 - *y1;
    long long x, y;
    if (c & 8)
    {
      y = ym;
      x = Along(X1, dx, ym - Y1, dy);
    }
    else if (c & 4)
    {
      y = 0;
      x = Along(X1, dx, -Y1, dy);
    }
    else if (c & 2)
    {
      x = xm;
      y = Along(Y1, dy, xm - X1, dx);
    }
    else
    {
      x = 0;
      y = Along(Y1, dy, -X1, dx);
    }
    if (first)
    {
      *x1 = x;
      *y1 = y;
      c1 = OutCode(x, y, xm, ym);
    }
    else
    {
      *x2 = x;
      *y2 = y;
      c2 = OutCode(x, y, xm, ym);
    }
  }
  return (c1 | c2) == 0;
}

bool _RAS_ClipFloatLine(double* x1, double* y1, double* x2, double* y2, double xmax, double ymax)
{
  if (!_RAS_Finite(*x1) || !_RAS_Finite(*y1) || !_RAS_Finite(*x2) || !_RAS_Finite(*y2)) return false;
  if (!(xmax >= 0) || !(ymax >= 0) || !_RAS_Finite(xmax) || !_RAS_Finite(ymax)) return false;
  int c1 = OutCode(*x1, *y1, xmax, ymax), c2 = OutCode(*x2, *y2, xmax, ymax);
  for (int i = 0; i < kMaxClipSteps && (c1 | c2); i++)
  {
    if (c1 & c2) return false;
    const bool first = c1 != 0;
    const int c = first ? c1 : c2;
    const double X1 = *x1, Y1 = *y1, dx = *x2 - *x1, dy = *y2 - *y1;
    double x, y;
    if (c & 8)
    {
      y = ymax;
      x = X1 + dx * ((ymax - Y1) / dy);
    }
    else if (c & 4)
    {
      y = 0;
      x = X1 + dx * (-Y1 / dy);
    }
    else if (c & 2)
    {
      x = xmax;
      y = Y1 + dy * ((xmax - X1) / dx);
    }
    else
    {
      x = 0;
      y = Y1 + dy * (-X1 / dx);
    }
    if (!_RAS_Finite(x) || !_RAS_Finite(y)) return false;
    if (first)
    {
      *x1 = x;
      *y1 = y;
      c1 = OutCode(x, y, xmax, ymax);
    }
    else
    {
      *x2 = x;
      *y2 = y;
      c2 = OutCode(x, y, xmax, ymax);
    }
  }
  return (c1 | c2) == 0;
}

bool RAS_ClipLine(int* x1, int* y1, int* x2, int* y2, int xlo, int ylo, int xhi, int yhi)
{
  if (!x1 || !y1 || !x2 || !y2) return false;
  long long a = (long long)*x1 - xlo, b = (long long)*y1 - ylo, c = (long long)*x2 - xlo, d = (long long)*y2 - ylo;
  if (!_RAS_ClipIntLine(&a, &b, &c, &d, (long long)xhi - xlo, (long long)yhi - ylo)) return false;
  *x1 = (int)(a + xlo);
  *y1 = (int)(b + ylo);
  *x2 = (int)(c + xlo);
  *y2 = (int)(d + ylo);
  return true;
}

bool RAS_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xlo, float ylo, float xhi, float yhi)
{
  if (!x1 || !y1 || !x2 || !y2) return false;
  double a = (double)*x1 - xlo, b = (double)*y1 - ylo, c = (double)*x2 - xlo, d = (double)*y2 - ylo;
  if (!_RAS_ClipFloatLine(&a, &b, &c, &d, (double)xhi - xlo - 1.0, (double)yhi - ylo - 1.0)) return false;
  *x1 = (float)(a + xlo);
  *y1 = (float)(b + ylo);
  *x2 = (float)(c + xlo);
  *y2 = (float)(d + ylo);
  return true;
}
