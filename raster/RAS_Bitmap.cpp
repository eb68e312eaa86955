#include "raster/RAS_Bitmap.h"

#include <climits>
#include <stdlib.h>

RAS_MemBitmap::RAS_MemBitmap(int w, int h, unsigned int linealign)
{
  if (linealign >= 2)
  {
    unsigned int low = linealign & (~linealign + 1);
    if (low > 16) low = 16;
    m_linealign = (int)low - 1;
  }
  if (w || h) resize(w, h);
}

RAS_MemBitmap::~RAS_MemBitmap() { free(m_fb); }

bool RAS_MemBitmap::resize(int w, int h)
{
  // Any non-positive dimension means the empty bitmap.
  if (w <= 0 || h <= 0) w = h = 0;
  if (w == m_width && h == m_height) return false;

  // 63 spare bytes let getBits() round up to a 64-byte boundary.
  const long long kSlack = 63;
  long long pixels = 0;
  if (w > 0 && h > 0) pixels = (((long long)w + m_linealign) & ~(long long)m_linealign) * h;
  const long long size = pixels > (INT_MAX - kSlack) / 4 ? -1 : pixels * 4;
  if (size <= 0)
  {
    free(m_fb);
    m_fb = nullptr;
    m_allocsize = 0;
    m_width = m_height = 0;
    return true;
  }

  m_width = w;
  m_height = h;
  if (!m_fb)
  {
    m_fb = malloc((size_t)(size + kSlack));
    m_allocsize = m_fb ? (int)size : 0;
  }
  else if (size > m_allocsize)
  {
    // 25 % slack so that repeated small enlargements do not reallocate.
    long long grown = size + size / 4;
    if (grown > INT_MAX - kSlack) grown = size;
    void* nb = realloc(m_fb, (size_t)(grown + kSlack));
    if (nb)
    {
      m_fb = nb;
      m_allocsize = (int)grown;
    }
    else
    {
      free(m_fb);
      m_fb = malloc((size_t)(size + kSlack));
      m_allocsize = m_fb ? (int)size : 0;
    }
  }
  if (!m_fb) m_width = m_height = 0;
  return true;
}
