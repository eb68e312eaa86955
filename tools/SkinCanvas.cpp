#include "SkinCanvas.h"

#include <math.h>

namespace {

int Channel(double v) { return v <= 0.0 ? 0 : v >= 255.0 ? 255 : (int)lround(v); }

} // namespace

RAS_pixel SkinColour::Pixel(int alpha) const { return RAS_RGBA(Channel(r), Channel(g), Channel(b), alpha); }

SkinColour SkinColour::Mix(const SkinColour& o, double t) const
{
  return {r + (o.r - r) * t, g + (o.g - g) * t, b + (o.b - b) * t};
}

SkinColour SkinColour::Scaled(double k) const { return {r * k, g * k, b * k}; }

double SkinRandom::Next()
{
  // xorshift32: small, fast and the same everywhere.
  m_state ^= m_state << 13;
  m_state ^= m_state >> 17;
  m_state ^= m_state << 5;
  return (m_state >> 8) * (1.0 / 16777216.0);
}

SkinCanvas::SkinCanvas(int w, int h, int scale) : m_w(w), m_h(h), m_scale(scale), m_bm(w * scale, h * scale, 4)
{
  RAS_Clear(&m_bm, 0);
}

int SkinCanvas::Px(double v) const { return (int)floor(v * m_scale + 0.5); }

template <class HalfWidth, class Span>
void SkinCanvas::Spans(double top, double bottom, double cx, HalfWidth halfWidth, Span span)
{
  int j0 = (int)floor(top * m_scale), j1 = (int)ceil(bottom * m_scale);
  if (j0 < 0) j0 = 0;
  if (j1 > m_h * m_scale) j1 = m_h * m_scale;
  for (int j = j0; j < j1; j++)
  {
    const double y = (j + 0.5) / m_scale;
    const double hw = halfWidth(y);
    if (hw <= 0.0) continue;
    const int x0 = Px(cx - hw), x1 = Px(cx + hw);
    if (x1 > x0) span(x0, x1, j);
  }
}

void SkinCanvas::FillRect(double x, double y, double w, double h, const SkinColour& c, double alpha)
{
  RAS_FillRect(&m_bm, Px(x), Px(y), Px(x + w) - Px(x), Px(y + h) - Px(y), c.Pixel(), (float)alpha, RAS_MODE_COPY);
}

void SkinCanvas::StoreRect(double x, double y, double w, double h, RAS_pixel colour)
{
  RAS_FillRect(&m_bm, Px(x), Px(y), Px(x + w) - Px(x), Px(y + h) - Px(y), colour, 1.0f, RAS_MODE_COPY);
}

void SkinCanvas::GradientRect(double x, double y, double w, double h, const SkinColour& top, const SkinColour& bottom)
{
  GradientRoundRect(x, y, w, h, 0.0, top, bottom);
}

void SkinCanvas::GradientRoundRect(double x, double y, double w, double h, double radius, const SkinColour& top,
                                   const SkinColour& bottom)
{
  if (h <= 0.0) return;
  auto half = [&](double yy) {
    double d = 0.0;
    if (yy < y + radius)
      d = y + radius - yy;
    else if (yy > y + h - radius)
      d = yy - (y + h - radius);
    if (d <= 0.0) return w / 2.0;
    if (d >= radius) return -1.0;
    return w / 2.0 - radius + sqrt(radius * radius - d * d);
  };
  Spans(y, y + h, x + w / 2.0, half, [&](int x0, int x1, int j) {
    const double t = ((j + 0.5) / m_scale - y) / h;
    const SkinColour c = top.Mix(bottom, t);
    RAS_FillRect(&m_bm, x0, j, x1 - x0, 1, c.Pixel(), 1.0f, RAS_MODE_COPY);
  });
}

void SkinCanvas::GradientDisc(double cx, double cy, double r, const SkinColour& a, const SkinColour& b, double angle)
{
  if (r <= 0.0) return;
  const double rad = angle * M_PI / 180.0;
  // Direction from colour a towards colour b.
  const double ux = -sin(rad), uy = cos(rad);
  const double k = 1.0 / (2.0 * r);
  const double step = k * ux / m_scale;
  auto half = [&](double yy) {
    const double d = yy - cy;
    return d * d < r * r ? sqrt(r * r - d * d) : -1.0;
  };
  Spans(cy - r, cy + r, cx, half, [&](int x0, int x1, int j) {
    const double x = (x0 + 0.5) / m_scale, yy = (j + 0.5) / m_scale;
    const double t = ((x - cx) * ux + (yy - cy) * uy) * k + 0.5;
    const SkinColour c = a.Mix(b, t);
    RAS_GradRect(&m_bm, x0, j, x1 - x0, 1, (float)(c.r / 255.0), (float)(c.g / 255.0), (float)(c.b / 255.0), 1.0f,
                 (float)((b.r - a.r) / 255.0 * step), (float)((b.g - a.g) / 255.0 * step),
                 (float)((b.b - a.b) / 255.0 * step), 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, RAS_MODE_COPY);
  });
}

void SkinCanvas::FillDisc(double cx, double cy, double r, const SkinColour& c, double alpha)
{
  if (r <= 0.0) return;
  auto half = [&](double yy) {
    const double d = yy - cy;
    return d * d < r * r ? sqrt(r * r - d * d) : -1.0;
  };
  const RAS_pixel p = c.Pixel();
  Spans(cy - r, cy + r, cx, half,
        [&](int x0, int x1, int j) { RAS_FillRect(&m_bm, x0, j, x1 - x0, 1, p, (float)alpha, RAS_MODE_COPY); });
}

void SkinCanvas::SoftShadow(double cx, double cy, double r, double blur, int maxAlpha, bool store)
{
  const double outer = r + blur;
  const int x0 = Px(cx - outer), x1 = Px(cx + outer), y0 = Px(cy - outer), y1 = Px(cy + outer);
  for (int j = y0; j < y1; j++)
    for (int i = x0; i < x1; i++)
    {
      const double dx = (i + 0.5) / m_scale - cx, dy = (j + 0.5) / m_scale - cy;
      const double d = sqrt(dx * dx + dy * dy);
      if (d >= outer) continue;
      double t = d <= r ? 1.0 : 1.0 - (d - r) / blur;
      t = t * t * (3.0 - 2.0 * t);
      const int a = (int)lround(maxAlpha * t);
      if (a <= 0) continue;
      if (store)
        RAS_PutPixel(&m_bm, i, j, RAS_RGBA(0, 0, 0, a), 1.0f, RAS_MODE_COPY);
      else
        RAS_PutPixel(&m_bm, i, j, RAS_RGBA(0, 0, 0, 255), a / 255.0f, RAS_MODE_COPY);
    }
}

void SkinCanvas::Ring(double cx, double cy, double r, const SkinColour& c, double alpha)
{
  // One image pixel is Scale() canvas pixels wide: that many concentric
  // library circles, each anti-aliased.
  for (int k = 0; k < m_scale; k++)
  {
    const double rr = r * m_scale - m_scale / 2.0 + k + 0.5;
    if (rr <= 0.0) continue;
    RAS_Circle(&m_bm, (float)(cx * m_scale - 0.5), (float)(cy * m_scale - 0.5), (float)rr, c.Pixel(), (float)alpha,
               RAS_MODE_COPY, true);
  }
}

void SkinCanvas::Taper(double x1, double y1, double x2, double y2, double width1, double width2, const SkinColour& c,
                       double alpha)
{
  const double len = hypot(x2 - x1, y2 - y1);
  if (len <= 0.0) return;
  const double nx = -(y2 - y1) / len, ny = (x2 - x1) / len;
  const double h1 = width1 / 2.0, h2 = width2 / 2.0;
  // The polygon filler includes both ends of every span, so vertices move
  // half a canvas pixel back to cover pixel centres only.
  auto X = [&](double v) { return (int)lround(v * m_scale - 0.5); };
  const int xs[4] = {X(x1 + nx * h1), X(x2 + nx * h2), X(x2 - nx * h2), X(x1 - nx * h1)};
  const int ys[4] = {X(y1 + ny * h1), X(y2 + ny * h2), X(y2 - ny * h2), X(y1 - ny * h1)};
  RAS_FillConvexPolygon(&m_bm, xs, ys, 4, c.Pixel(), (float)alpha, RAS_MODE_COPY);
}

void SkinCanvas::Stroke(double x1, double y1, double x2, double y2, double width, const SkinColour& c, double alpha)
{
  Taper(x1, y1, x2, y2, width, width, c, alpha);
  FillDisc(x1, y1, width / 2.0, c, alpha);
  FillDisc(x2, y2, width / 2.0, c, alpha);
}

void SkinCanvas::Resolve(RAS_MemBitmap* out)
{
  out->resize(m_w, m_h);
  RAS_pixel* dst = out->getBits();
  const RAS_pixel* src = m_bm.getBits();
  if (!dst || !src) return;
  const int span = m_bm.getRowSpan(), outSpan = out->getRowSpan();
  const int n = m_scale * m_scale;
  for (int y = 0; y < m_h; y++)
    for (int x = 0; x < m_w; x++)
    {
      uint64_t a = 0, r = 0, g = 0, b = 0;
      for (int j = 0; j < m_scale; j++)
      {
        const RAS_pixel* row = src + (size_t)(y * m_scale + j) * span + (size_t)x * m_scale;
        for (int i = 0; i < m_scale; i++)
        {
          const RAS_pixel p = row[i];
          const uint64_t pa = (uint64_t)RAS_GETA(p);
          a += pa;
          r += pa * (uint64_t)RAS_GETR(p);
          g += pa * (uint64_t)RAS_GETG(p);
          b += pa * (uint64_t)RAS_GETB(p);
        }
      }
      RAS_pixel o = 0;
      if (a)
        o = RAS_RGBA((int)((r + a / 2) / a), (int)((g + a / 2) / a), (int)((b + a / 2) / a), (int)((a + n / 2) / n));
      dst[(size_t)y * outSpan + x] = o;
    }
}
