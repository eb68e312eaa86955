/* Umbrella header of the AudioUnit framework. */
#ifndef __AUDIOUNIT_AUDIOUNIT__
#define __AUDIOUNIT_AUDIOUNIT__

#include <AudioUnit/AudioComponent.h>
#include <AudioUnit/AUComponent.h>
#include <AudioUnit/AudioUnitProperties.h>
#include <AudioUnit/MusicDevice.h>
#include <AudioUnit/AudioUnitCarbonView.h>

#endif /* __AUDIOUNIT_AUDIOUNIT__ */
