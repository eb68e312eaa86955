#include "raster/RAS_SysBitmap.h"

#include <climits>

RAS_SysBitmap::RAS_SysBitmap(int w, int h) { resize(w, h); }

RAS_SysBitmap::~RAS_SysBitmap() { FreeContext(); }

void RAS_SysBitmap::FreeContext()
{
  if (m_dc) GDI_DeleteGfxContext(m_dc);
  m_dc = nullptr;
  m_bits = nullptr;
}

bool RAS_SysBitmap::resize(int w, int h)
{
  if (w == m_width && h == m_height) return false;

  if (w <= 0 || h <= 0)
  {
    // An empty bitmap has no context, so its size and buffer always agree.
    const bool changed = m_width || m_height;
    FreeContext();
    m_width = m_height = m_allocw = m_alloch = 0;
    return changed;
  }

  if (m_dc && m_allocw >= w && m_alloch >= h)
  {
    // A shrink keeps the context and its row span.
    RAS_pixel* fb = (RAS_pixel*)GDI_GetCtxFrameBuffer(m_dc);
    m_width = w;
    m_height = h;
    m_bits = isFlipped() ? fb + (long long)(m_alloch - h) * m_allocw : fb;
    return true;
  }

  FreeContext();
  m_width = m_height = m_allocw = m_alloch = 0;
  // Rows are padded to a multiple of 4 pixels.
  const long long span = ((long long)w + 3) & ~3LL;
  if (span > INT_MAX || span * h * 4 > INT_MAX - 63) return true;

  m_dc = GDI_CreateMemContext(nullptr, (int)span, h);
  if (m_dc) m_bits = (RAS_pixel*)GDI_GetCtxFrameBuffer(m_dc);
  if (!m_bits)
  {
    FreeContext();
    return true;
  }
  m_width = w;
  m_height = h;
  m_allocw = (int)span;
  m_alloch = h;
  return true;
}
