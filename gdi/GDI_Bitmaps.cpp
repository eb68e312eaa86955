#include "gdi/GDI_Internal.h"

#include <png.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace
{
HBITMAP MakeBitmapObject(CGImageRef image, bool owns)
{
  GDI_Object* o = gdi::NewObject(GDI_OBJ_BITMAP);
  if (!o) return nullptr;
  o->image = image;
  o->width = owns ? 1 : 0;
  return o;
}

CGImageRef ImageFromPixels(const void* bits, int w, int h, size_t rowBytes, CGBitmapInfo info)
{
  CGDataProviderRef prov = CGDataProviderCreateWithData(nullptr, bits, rowBytes * (size_t)h, nullptr);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGImageRef im = CGImageCreate((size_t)w, (size_t)h, 8, 32, rowBytes, space, info, prov, nullptr, true,
                                kCGRenderingIntentDefault);
  CGColorSpaceRelease(space);
  CGDataProviderRelease(prov);
  return im;
}

GDI_Object* BitmapObject(HGDIOBJ o)
{
  GDI_Object* b = gdi::LiveObject(o);
  return (b && b->type == GDI_OBJ_BITMAP && b->image) ? b : nullptr;
}

// Resolves an image name: a path when it holds "/", else a file of that name
// (".png" added when it has no extension) in the main bundle's resources.
std::string ImagePath(const char* name)
{
  if (strchr(name, '/')) return name;
  CFBundleRef bundle = CFBundleGetMainBundle();
  CFURLRef dir = bundle ? CFBundleCopyResourcesDirectoryURL(bundle) : nullptr;
  if (!dir) return std::string();
  char buf[4096];
  const bool ok = CFURLGetFileSystemRepresentation(dir, true, (UInt8*)buf, sizeof buf);
  CFRelease(dir);
  if (!ok) return std::string();
  std::string path = std::string(buf) + "/" + name;
  if (!strchr(name, '.')) path += ".png";
  return path;
}
} // namespace

HBITMAP CreateBitmap(int w, int h, int, int bitsPerPixel, const void* bits)
{
  // A bitmap needs pixels to copy: no pointer, no bitmap.
  if (!bits || w < 1 || h < 1 || w > 32767 || h > 32767) return nullptr;
  const CGBitmapInfo info = bitsPerPixel == 32 ? kCGImageAlphaFirst : kCGImageAlphaNoneSkipFirst;
  CGImageRef im = ImageFromPixels(bits, w, h, (size_t)w * 4, info);
  if (!im) return nullptr;
  HBITMAP b = MakeBitmapObject(im, true);
  if (!b) CGImageRelease(im);
  return b;
}

HICON CreateIconIndirect(const ICONINFO* info)
{
  GDI_Object* colour = info ? BitmapObject(info->hbmColor) : nullptr;
  if (!colour) return nullptr;
  CGImageRetain(colour->image);
  HICON icon = MakeBitmapObject(colour->image, true);
  if (!icon) CGImageRelease(colour->image);
  return icon;
}

HICON LoadNamedImage(const char* name, bool magentaToAlpha)
{
  if (!name || !*name) return nullptr;
  const std::string path = ImagePath(name);
  if (path.empty()) return nullptr;
  png_image png;
  memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return nullptr;
  png.format = PNG_FORMAT_ARGB;
  if (png.width < 1 || png.height < 1 || png.width > 32767 || png.height > 32767)
  {
    png_image_free(&png);
    return nullptr;
  }
  const size_t rowBytes = (size_t)png.width * 4;
  unsigned char* pixels = (unsigned char*)malloc(rowBytes * png.height);
  if (!pixels || !png_image_finish_read(&png, nullptr, pixels, (png_int_32)rowBytes, nullptr))
  {
    free(pixels);
    png_image_free(&png);
    return nullptr;
  }
  if (magentaToAlpha)
  {
    for (size_t i = 0; i < rowBytes * png.height; i += 4)
      if (pixels[i + 1] == 255 && pixels[i + 2] == 0 && pixels[i + 3] == 255) pixels[i] = 0;
  }
  CGImageRef im = ImageFromPixels(pixels, (int)png.width, (int)png.height, rowBytes, kCGImageAlphaFirst);
  free(pixels);
  if (!im) return nullptr;
  HICON icon = MakeBitmapObject(im, true);
  if (!icon) CGImageRelease(im);
  return icon;
}

int GetObject(HGDIOBJ bitmap, int size, void* out)
{
  GDI_Object* b = BitmapObject(bitmap);
  if (!b || !out || size < (int)sizeof(BITMAP)) return 0;
  BITMAP* bm = (BITMAP*)out;
  bm->bmWidth = (LONG)CGImageGetWidth(b->image);
  bm->bmHeight = (LONG)CGImageGetHeight(b->image);
  return 1;
}

CGImageRef GetNSImageFromHICON(HGDIOBJ icon)
{
  GDI_Object* b = BitmapObject(icon);
  return b ? b->image : nullptr;
}

HIMAGELIST ImageList_CreateEx() { return new GDI_ImageList; }

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon)
{
  GDI_Object* src = BitmapObject(icon);
  if (!list || !src) return -1;
  CGImageRetain(src->image);
  HGDIOBJ copy = MakeBitmapObject(src->image, true);
  if (!copy)
  {
    CGImageRelease(src->image);
    return -1;
  }
  if (index < 0 || (size_t)index >= list->items.size())
  {
    list->items.push_back(copy);
    return (int)list->items.size() - 1;
  }
  DeleteObject(list->items[(size_t)index]);
  list->items[(size_t)index] = copy;
  return index;
}

BOOL ImageList_Remove(HIMAGELIST list, int index)
{
  if (!list) return 0;
  if (index < 0)
  {
    for (size_t i = list->items.size(); i-- > 0;) DeleteObject(list->items[i]);
    list->items.clear();
    return 1;
  }
  // An index past the end names nothing: ignored.
  if ((size_t)index >= list->items.size()) return 0;
  DeleteObject(list->items[(size_t)index]);
  list->items[(size_t)index] = nullptr;
  return 1;
}

void ImageList_Destroy(HIMAGELIST list)
{
  if (!list) return;
  ImageList_Remove(list, -1);
  delete list;
}
