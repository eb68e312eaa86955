#include <CoreServices/Gestalt.h>

OSErr Gestalt(OSType selector, SInt32* response)
{
  if (!response) return gestaltUndefSelectorErr;
  switch (selector)
  {
    case gestaltSystemVersion: *response = 0x1095; return 0;
    case gestaltSystemVersionMajor: *response = 10; return 0;
    case gestaltSystemVersionMinor: *response = 9; return 0;
    case gestaltSystemVersionBugFix: *response = 5; return 0;
    default: return gestaltUndefSelectorErr;
  }
}
