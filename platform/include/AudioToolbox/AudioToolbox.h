/* Umbrella header of the AudioToolbox framework: the Audio Unit interfaces,
   music devices and the parameter/event notification utilities. */
#ifndef __AUDIOTOOLBOX_AUDIOTOOLBOX__
#define __AUDIOTOOLBOX_AUDIOTOOLBOX__

#include <CoreAudio/CoreAudioTypes.h>
#include <AudioUnit/AudioUnit.h>
#include <AudioUnit/MusicDevice.h>
#include <AudioToolbox/AudioUnitUtilities.h>

#endif /* __AUDIOTOOLBOX_AUDIOTOOLBOX__ */
