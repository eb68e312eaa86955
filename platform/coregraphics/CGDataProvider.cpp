#include "coregraphics/CGDataProviderData.h"

CGDataProvider::~CGDataProvider()
{
  if (releaseData) releaseData(info, data, size);
  if (cfdata) CFRelease(cfdata);
}

CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData)
{
  if (!data && size) return nullptr;
  CGDataProvider* p = cgobj::create<CGDataProvider>();
  if (!p) return nullptr;
  p->info = info;
  p->data = data;
  p->size = size;
  p->releaseData = releaseData;
  return p;
}

CGDataProviderRef CGDataProviderCreateWithCFData(CFDataRef data)
{
  if (!data) return nullptr;
  CGDataProvider* p = cgobj::create<CGDataProvider>();
  if (!p) return nullptr;
  p->cfdata = (CFDataRef)CFRetain(data);
  p->data = CFDataGetBytePtr(data);
  p->size = (size_t)CFDataGetLength(data);
  return p;
}

CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider) { return cgobj::retain(provider); }
void CGDataProviderRelease(CGDataProviderRef provider) { cgobj::release(provider); }

CFDataRef CGDataProviderCopyData(CGDataProviderRef provider)
{
  if (!provider) return nullptr;
  return CFDataCreate(nullptr, (const UInt8*)provider->data, (CFIndex)provider->size);
}

CFTypeID CGDataProviderGetTypeID(void) { return cgobj::kDataProvider; }
