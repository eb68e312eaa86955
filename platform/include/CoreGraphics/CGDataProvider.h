#ifndef CGDATAPROVIDER_H_
#define CGDATAPROVIDER_H_

#include <CoreGraphics/CGBase.h>

typedef struct CGDataProvider* CGDataProviderRef;

typedef void (*CGDataProviderReleaseDataCallback)(void* info, const void* data, size_t size);

// The bytes stay the caller's until releaseData is called (when given).
CG_EXTERN CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                                         CGDataProviderReleaseDataCallback releaseData);
CG_EXTERN CGDataProviderRef CGDataProviderCreateWithCFData(CFDataRef data);
CG_EXTERN CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider);
CG_EXTERN void CGDataProviderRelease(CGDataProviderRef provider);
CG_EXTERN CFDataRef CGDataProviderCopyData(CGDataProviderRef provider);
CG_EXTERN CFTypeID CGDataProviderGetTypeID(void);

#endif
