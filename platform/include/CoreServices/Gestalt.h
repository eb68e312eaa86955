#ifndef CORESERVICES_GESTALT_H_
#define CORESERVICES_GESTALT_H_

/* Asking the system about itself. The stand-in answers as macOS 10.9.5,
   the system its Foundation and AppKit version numbers describe. */

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
  gestaltSystemVersion = 0x73797376,      /* 'sysv': 0x1095 for 10.9.5 */
  gestaltSystemVersionMajor = 0x73797331, /* 'sys1' */
  gestaltSystemVersionMinor = 0x73797332, /* 'sys2' */
  gestaltSystemVersionBugFix = 0x73797333 /* 'sys3' */
};

enum { gestaltUndefSelectorErr = -5551 };

/* Any thread; never blocks. noErr and the answer in *response, or
   gestaltUndefSelectorErr for a selector it does not know (or no response pointer). */
OSErr Gestalt(OSType selector, SInt32* response);

#ifdef __cplusplus
}
#endif

#endif
