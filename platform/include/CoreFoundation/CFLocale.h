/* Locales. Only the reference type is offered: string functions that take a
   locale accept NULL or any locale and always work locale-independently. */
#ifndef __COREFOUNDATION_CFLOCALE__
#define __COREFOUNDATION_CFLOCALE__

#include <CoreFoundation/CFBase.h>

typedef const struct __CFLocale* CFLocaleRef;

#endif /* __COREFOUNDATION_CFLOCALE__ */
