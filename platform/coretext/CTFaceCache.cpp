#include "coretext/CTFaceCache.h"

#include FT_OUTLINE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <math.h>
#include <string.h>

CTFaceCache& CTFaceCache::Get()
{
  static CTFaceCache* cache = new CTFaceCache; // lives until exit: fonts may outlast statics
  return *cache;
}

CTFaceCache::CTFaceCache()
{
  if (FT_Init_FreeType(&mLibrary) != 0) mLibrary = nullptr;
}

CTFace* CTFaceCache::FaceFor(const CTFaceInfo* info)
{
  if (!info || !mLibrary) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  const std::string key = info->file + "#" + std::to_string(info->index);
  auto it = mFaces.find(key);
  if (it != mFaces.end()) return it->second;
  FT_Face ft = nullptr;
  if (FT_New_Face(mLibrary, info->file.c_str(), info->index, &ft) != 0 || !ft) return nullptr;
  if (!FT_IS_SCALABLE(ft))
  {
    FT_Done_Face(ft);
    return nullptr;
  }
  FT_Select_Charmap(ft, FT_ENCODING_UNICODE);
  CTFace* f = new CTFace;
  f->ft = ft;
  f->info = info;
  f->unitsPerEm = ft->units_per_EM ? ft->units_per_EM : 1000;
  f->ascender = ft->ascender;
  f->descender = -ft->descender;
  f->lineGap = ft->height - (ft->ascender - ft->descender);
  if (f->lineGap < 0) f->lineGap = 0;
  f->underlinePosition = ft->underline_position;
  f->underlineThickness = ft->underline_thickness;
  f->bboxXMin = ft->bbox.xMin;
  f->bboxYMin = ft->bbox.yMin;
  f->bboxXMax = ft->bbox.xMax;
  f->bboxYMax = ft->bbox.yMax;
  if (const TT_OS2* os2 = (const TT_OS2*)FT_Get_Sfnt_Table(ft, FT_SFNT_OS2))
  {
    if (os2->version >= 2)
    {
      f->capHeight = os2->sCapHeight;
      f->xHeight = os2->sxHeight;
    }
  }
  if (f->capHeight == 0) f->capHeight = f->ascender * 0.7;
  if (f->xHeight == 0) f->xHeight = f->ascender * 0.5;
  mFaces[key] = f;
  return f;
}

unsigned CTFaceCache::GlyphIndex(CTFace* face, uint32_t codePoint)
{
  if (!face) return 0;
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  return FT_Get_Char_Index(face->ft, codePoint);
}

double CTFaceCache::Advance(CTFace* face, unsigned glyph)
{
  if (!face) return 0;
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  FT_Fixed adv = 0;
  if (FT_Get_Advance(face->ft, glyph, FT_LOAD_NO_SCALE, &adv) != 0) return 0;
  return (double)adv;
}

const CTGlyphImage* CTFaceCache::Glyph(CTFace* face, unsigned glyph, uint32_t pixelSize64, bool antialias)
{
  if (!face || pixelSize64 == 0 || glyph > 0xFFFF) return nullptr;
  const uint64_t key = (uint64_t)pixelSize64 << 17 | (uint64_t)(antialias ? 1 : 0) << 16 | glyph;
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  auto it = face->glyphs.find(key);
  if (it != face->glyphs.end()) return it->second;
  CTGlyphImage* g = new CTGlyphImage;
  face->glyphs[key] = g;
  if (FT_Set_Char_Size(face->ft, 0, (FT_F26Dot6)pixelSize64, 72, 72) != 0) return g;
  const FT_Int32 load = antialias ? FT_LOAD_TARGET_LIGHT : FT_LOAD_TARGET_MONO;
  if (FT_Load_Glyph(face->ft, glyph, load) != 0) return g;
  if (FT_Render_Glyph(face->ft->glyph, antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return g;
  mRasterizations.fetch_add(1);
  const FT_Bitmap& bm = face->ft->glyph->bitmap;
  g->left = face->ft->glyph->bitmap_left;
  g->top = face->ft->glyph->bitmap_top;
  g->width = (int)bm.width;
  g->height = (int)bm.rows;
  if (g->width <= 0 || g->height <= 0) return g;
  g->mask = pixman_image_create_bits(PIXMAN_a8, g->width, g->height, nullptr, 0);
  if (!g->mask) return g;
  uint8_t* dst = (uint8_t*)pixman_image_get_data(g->mask);
  const int stride = pixman_image_get_stride(g->mask);
  for (int y = 0; y < g->height; ++y)
  {
    const uint8_t* src = bm.buffer + (ptrdiff_t)y * bm.pitch;
    uint8_t* d = dst + (ptrdiff_t)y * stride;
    if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
      for (int x = 0; x < g->width; ++x) d[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    else
      memcpy(d, src, (size_t)g->width);
  }
  return g;
}

namespace
{
struct OutlineSink
{
  CGMutablePathRef path;
  CGAffineTransform m;
  CGPoint last;
  bool open;
};

CGPoint P(const FT_Vector* v) { return CGPointMake((double)v->x, (double)v->y); }

int MoveTo(const FT_Vector* to, void* user)
{
  OutlineSink* s = (OutlineSink*)user;
  if (s->open) CGPathCloseSubpath(s->path);
  s->last = P(to);
  CGPathMoveToPoint(s->path, &s->m, s->last.x, s->last.y);
  s->open = true;
  return 0;
}

int LineTo(const FT_Vector* to, void* user)
{
  OutlineSink* s = (OutlineSink*)user;
  s->last = P(to);
  CGPathAddLineToPoint(s->path, &s->m, s->last.x, s->last.y);
  return 0;
}

int ConicTo(const FT_Vector* c, const FT_Vector* to, void* user)
{
  OutlineSink* s = (OutlineSink*)user;
  s->last = P(to);
  CGPathAddQuadCurveToPoint(s->path, &s->m, (double)c->x, (double)c->y, s->last.x, s->last.y);
  return 0;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user)
{
  OutlineSink* s = (OutlineSink*)user;
  s->last = P(to);
  CGPathAddCurveToPoint(s->path, &s->m, (double)c1->x, (double)c1->y, (double)c2->x, (double)c2->y, s->last.x,
                        s->last.y);
  return 0;
}
} // namespace

bool CTFaceCache::Outline(CTFace* face, unsigned glyph, CGMutablePathRef into, const CGAffineTransform& m)
{
  if (!face || !into) return false;
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (FT_Load_Glyph(face->ft, glyph, FT_LOAD_NO_SCALE) != 0) return false;
  if (face->ft->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return false;
  FT_Outline_Funcs funcs = {MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
  OutlineSink sink = {into, m, CGPointZero, false};
  if (FT_Outline_Decompose(&face->ft->glyph->outline, &funcs, &sink) != 0) return false;
  if (sink.open) CGPathCloseSubpath(into);
  return true;
}
