/* Umbrella header of the CoreAudio framework. Only the shared audio data
   types are offered here; there is no hardware layer. */
#ifndef __COREAUDIO_COREAUDIO__
#define __COREAUDIO_COREAUDIO__

#include <CoreAudio/CoreAudioTypes.h>

#endif /* __COREAUDIO_COREAUDIO__ */
