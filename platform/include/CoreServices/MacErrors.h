/* Status codes of the system services offered here (memory, files, the
   Component Manager, CoreFoundation glue), with their published values. */
#ifndef __CORESERVICES_MACERRORS__
#define __CORESERVICES_MACERRORS__

#include <MacTypes.h>

enum {
    unimpErr = -4,
    fnfErr = -43,
    paramErr = -50,
    memFullErr = -108,
    nilHandleErr = -109,
    memWZErr = -111
};

enum {
    componentDllLoadErr = -2091,
    componentDllEntryNotFoundErr = -2092
};

enum {
    invalidComponentID = -3000,
    validInstancesExist = -3001,
    componentNotCaptured = -3002,
    componentDontRegister = -3003,
    unresolvedComponentDLLErr = -3004,
    retryComponentRegistrationErr = -3005
};

enum {
    coreFoundationUnknownErr = -4960
};

#endif /* __CORESERVICES_MACERRORS__ */
