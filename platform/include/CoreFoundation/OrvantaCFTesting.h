/* Test hooks of the CoreFoundation stand-in. Not part of the platform's
   published interface: only tests include this header. */
#ifndef ORVANTA_CF_TESTING_H
#define ORVANTA_CF_TESTING_H

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFBundle.h>

CF_EXTERN_C_BEGIN

/* Objects created and not yet freed. Constant objects (CFSTR strings,
   kCFBooleanTrue, ...) are not counted. */
CF_EXPORT CFIndex OrvantaCFLiveObjectCount(void);

/* Releases (and retains) that reached an object whose count had already
   dropped to zero. Each one is also reported on standard error. */
CF_EXPORT CFIndex OrvantaCFOverReleaseCount(void);

/* Whether an over-release aborts the process. Defaults to true in debug
   builds of the library and false otherwise; returns the previous setting. */
CF_EXPORT Boolean OrvantaCFSetAbortOnOverRelease(Boolean abortOnOverRelease);

/* The bundle directory that encloses an executable at this path (…/X.app for
   …/X.app/Contents/MacOS/exe), or NULL when the path is not inside one.
   The caller releases the result. */
CF_EXPORT CFURLRef OrvantaCFCopyBundleURLForExecutablePath(const char* executablePath);

CF_EXTERN_C_END

#endif /* ORVANTA_CF_TESTING_H */
