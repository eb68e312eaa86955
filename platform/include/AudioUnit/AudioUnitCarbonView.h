/* The view-component interface: components of type 'auvw' whose create
   selector builds a unit's editor in a host window. Only the identifiers are
   offered; hosts of this platform open editors through the Cocoa view
   property. */
#ifndef __AUDIOUNIT_AUDIOUNITCARBONVIEW__
#define __AUDIOUNIT_AUDIOUNITCARBONVIEW__

#include <MacTypes.h>
#include <CoreServices/Components.h>

typedef ComponentInstance AudioUnitCarbonView;

enum {
    kAudioUnitCarbonViewComponentType = 0x61757677, /* 'auvw' */
    kAUCarbonViewSubType_Generic = 0x676E7263       /* 'gnrc' */
};

enum {
    kAudioUnitCarbonViewRange = 0x0300,
    kAudioUnitCarbonViewCreateSelect = 0x0301,
    kAudioUnitCarbonViewSetEventListenerSelect = 0x0302
};

#endif /* __AUDIOUNIT_AUDIOUNITCARBONVIEW__ */
