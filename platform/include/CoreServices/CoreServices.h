/* Umbrella header of the CoreServices framework: the Component Manager,
   handles, and the status codes they share. */
#ifndef __CORESERVICES__
#define __CORESERVICES__

#include <MacTypes.h>
#include <CoreServices/MacErrors.h>
#include <CoreServices/MacMemory.h>
#include <CoreServices/Components.h>

#endif /* __CORESERVICES__ */
