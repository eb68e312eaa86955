/* Audio components: the current names for finding, describing and
   instantiating the components the Component Manager registers. An
   AudioComponent and the Component of the same registration are one record;
   an AudioComponentInstance is a ComponentInstance.

   Components come from bundles (*.component directories) found in the
   directories of the AUDIO_COMPONENT_PATH environment variable (colon
   separated), then ~/Library/Audio/Plug-Ins/Components, then
   /Library/Audio/Plug-Ins/Components, scanned once on first use. Each
   bundle's Contents/Info.plist lists its components in an "AudioComponents"
   array of dictionaries: "type", "subtype", "manufacturer" (four-character
   strings), "name" (string), "version" (integer) and "factoryFunction", the
   name of the exported Component Manager entry function
   (ComponentRoutineProcPtr). The executable Contents/MacOS/<CFBundleExecutable>
   is loaded on the first open of one of its components and stays loaded. */
#ifndef __AUDIOUNIT_AUDIOCOMPONENT__
#define __AUDIOUNIT_AUDIOCOMPONENT__

#include <MacTypes.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/Components.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt32 AudioComponentFlags;
enum {
    kAudioComponentFlag_Unsearchable = 1,
    kAudioComponentFlag_SandboxSafe = 2,
    kAudioComponentFlag_IsV3AudioUnit = 4,
    kAudioComponentFlag_RequiresAsyncInstantiation = 8,
    kAudioComponentFlag_CanLoadInProcess = 0x10
};

typedef struct AudioComponentDescription {
    OSType componentType;
    OSType componentSubType;
    OSType componentManufacturer;
    UInt32 componentFlags;
    UInt32 componentFlagsMask;
} AudioComponentDescription;

typedef struct OpaqueAudioComponent* AudioComponent;
typedef struct ComponentInstanceRecord* AudioComponentInstance;

enum {
    kAudioComponentErr_InstanceTimedOut = -66754,
    kAudioComponentErr_DuplicateDescription = -66752,
    kAudioComponentErr_UnsupportedType = -66751,
    kAudioComponentErr_TooManyInstances = -66750,
    kAudioComponentErr_InstanceInvalidated = -66749,
    kAudioComponentErr_NotPermitted = -66748,
    kAudioComponentErr_InitializationTimedOut = -66747,
    kAudioComponentErr_InvalidFormat = -66746
};

/* The next component after inComponent (NULL: the first) matching inDesc with
   the rules of FindNextComponent; NULL when there is none. */
AudioComponent AudioComponentFindNext(AudioComponent inComponent, const AudioComponentDescription* inDesc);
UInt32 AudioComponentCount(const AudioComponentDescription* inDesc);

/* A new string the caller releases: the name the component registered with. */
OSStatus AudioComponentCopyName(AudioComponent inComponent, CFStringRef* outName);
OSStatus AudioComponentGetDescription(AudioComponent inComponent, AudioComponentDescription* outDesc);
OSStatus AudioComponentGetVersion(AudioComponent inComponent, UInt32* outVersion);

/* Opens an instance (the component's open selector). A missing executable
   gives componentDllLoadErr, a missing entry symbol componentDllEntryNotFoundErr. */
OSStatus AudioComponentInstanceNew(AudioComponent inComponent, AudioComponentInstance* outInstance);
OSStatus AudioComponentInstanceDispose(AudioComponentInstance inInstance);
AudioComponent AudioComponentInstanceGetComponent(AudioComponentInstance inInstance);
Boolean AudioComponentInstanceCanDo(AudioComponentInstance inInstance, SInt16 inSelectorID);

/* Extension of this platform: registers the components of one bundle
   directory given by its path, as if it had been found by the scan.
   noErr when the bundle provides at least one component (or was registered
   before); kAudio_ParamError (-50) for a NULL or empty path;
   kAudio_FileNotFoundError (-43) when the path is not a bundle with a
   readable Info.plist; invalidComponentID when the Info.plist declares no
   usable component. Where two bundle components share a type, subtype and
   manufacturer, the higher version is kept (the earlier one on a tie);
   kAudioComponentErr_DuplicateDescription when every component of the
   bundle lost that way. */
OSStatus AudioComponentRegisterBundle(const char* inBundlePath);

#ifdef __cplusplus
}
#endif

#endif /* __AUDIOUNIT_AUDIOCOMPONENT__ */
