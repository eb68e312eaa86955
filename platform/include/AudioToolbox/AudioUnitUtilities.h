/* Parameter and property change notification between a unit, its editor and
   the host: senders call AUEventListenerNotify / AUParameterListenerNotify /
   AUParameterSet, and every listener registered for a matching event gets a
   call.

   Difference from the published interface: there are no run loops on this
   platform. AUEventListenerCreate and AUListenerCreate take no run loop,
   run-loop mode, notification interval or value granularity; listeners are
   called synchronously, on the sending thread, before the notify call
   returns, once per matching registration and without coalescing. A
   listener must therefore not block the sender for long. */
#ifndef __AUDIOTOOLBOX_AUDIOUNITUTILITIES__
#define __AUDIOTOOLBOX_AUDIOUNITUTILITIES__

#include <MacTypes.h>
#include <AudioUnit/AudioUnit.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt32 AudioUnitEventType;
enum {
    kAudioUnitEvent_ParameterValueChange = 0,
    kAudioUnitEvent_BeginParameterChangeGesture = 1,
    kAudioUnitEvent_EndParameterChangeGesture = 2,
    kAudioUnitEvent_PropertyChange = 3
};

/* Registered with a parameter ID of kAUParameterListener_AnyParameter, a
   listener hears every parameter of the unit, scope and element. */
enum {
    kAUParameterListener_AnyParameter = 0xFFFFFFFFU
};

typedef struct AudioUnitEvent {
    AudioUnitEventType mEventType;
    union {
        AudioUnitParameter mParameter;
        AudioUnitProperty mProperty;
    } mArgument;
} AudioUnitEvent;

typedef struct AUListenerBase* AUParameterListenerRef;
typedef AUParameterListenerRef AUEventListenerRef;

/* Called on the sending thread. inObject is the object given at
   registration. For a value change, inValue / inParameterValue is the
   parameter's value read back from the unit with AudioUnitGetParameter at
   the time of the notification (0 if that fails); for other events it is 0.
   inEventHostTime is a monotonic clock in nanoseconds. */
typedef void (*AUParameterListenerProc)(void* inRefCon, void* inObject, const AudioUnitParameter* inParameter,
                                        AudioUnitParameterValue inValue);
typedef void (*AUEventListenerProc)(void* inCallbackRefCon, void* inObject, const AudioUnitEvent* inEvent,
                                    UInt64 inEventHostTime, AudioUnitParameterValue inParameterValue);

/* A parameter listener hears value changes of the parameters added to it. */
OSStatus AUListenerCreate(AUParameterListenerProc inProc, void* inUserData, AUParameterListenerRef* outListener);
OSStatus AUListenerAddParameter(AUParameterListenerRef inListener, void* inObject,
                                const AudioUnitParameter* inParameter);
OSStatus AUListenerRemoveParameter(AUParameterListenerRef inListener, void* inObject,
                                   const AudioUnitParameter* inParameter);

/* An event listener hears the events added to it: parameter value changes,
   gesture begins and ends (matched by unit, parameter, scope and element),
   and property changes (matched by unit, property, scope and element). */
OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inUserData, AUEventListenerRef* outListener);
OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent);
OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject,
                                        const AudioUnitEvent* inEvent);

/* Disposes of either kind of listener; it is not called after this returns
   (unless a notification on another thread is already under way). */
OSStatus AUListenerDispose(AUParameterListenerRef inListener);

/* Sends the event to every matching registration. When inSendingListener
   is given, its own registrations are skipped: all of them when
   inSendingObject is NULL, else those made with inSendingObject. */
OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void* inSendingObject,
                               const AudioUnitEvent* inEvent);
/* AUEventListenerNotify of a value change of inParameter. */
OSStatus AUParameterListenerNotify(AUParameterListenerRef inSendingListener, void* inSendingObject,
                                   const AudioUnitParameter* inParameter);
/* AudioUnitSetParameter, then, when it succeeds, AUParameterListenerNotify. */
OSStatus AUParameterSet(AUParameterListenerRef inSendingListener, void* inSendingObject,
                        const AudioUnitParameter* inParameter, AudioUnitParameterValue inValue,
                        UInt32 inBufferOffsetInFrames);

#ifdef __cplusplus
}
#endif

#endif /* __AUDIOTOOLBOX_AUDIOUNITUTILITIES__ */
