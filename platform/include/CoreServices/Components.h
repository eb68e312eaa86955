/* The Component Manager: registered components are found by description,
   opened into instances, and driven through one entry function per component
   that receives every call as a ComponentParameters record. */
#ifndef __CORESERVICES_COMPONENTS__
#define __CORESERVICES_COMPONENTS__

#include <MacTypes.h>
#include <CoreServices/MacErrors.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    kAnyComponentType = 0,
    kAnyComponentSubType = 0,
    kAnyComponentManufacturer = 0,
    kAnyComponentFlagsMask = 0
};

enum {
    cmpIsMissing = 1L << 29,
    cmpWantsRegisterMessage = 1L << 31
};

/* Selectors every component answers. */
enum {
    kComponentOpenSelect = -1,
    kComponentCloseSelect = -2,
    kComponentCanDoSelect = -3,
    kComponentVersionSelect = -4,
    kComponentRegisterSelect = -5,
    kComponentTargetSelect = -6,
    kComponentUnregisterSelect = -7,
    kComponentGetMPWorkFunctionSelect = -8,
    kComponentExecuteWiredActionSelect = -9,
    kComponentGetPublicResourceSelect = -10
};

/* Flags of RegisterComponent's global argument. */
enum {
    registerComponentGlobal = 1,
    registerComponentNoDuplicates = 2,
    registerComponentAfterExisting = 4,
    registerComponentAliasesOnly = 8
};

enum {
    badComponentInstance = (int)0x80008001,
    badComponentSelector = (int)0x80008002
};

typedef struct ComponentDescription {
    OSType componentType;
    OSType componentSubType;
    OSType componentManufacturer;
    UInt32 componentFlags;
    UInt32 componentFlagsMask;
} ComponentDescription;

typedef struct ComponentRecord* Component;
typedef struct ComponentInstanceRecord* ComponentInstance;
typedef SInt32 ComponentResult;

/* The call record a component's entry function receives. On 64-bit the
   words are: params[0] the component instance, then the call's own
   arguments in declaration order, one 64-bit word each (32-bit and smaller
   values in the low half, floats as their bit pattern in the low 32 bits).
   paramSize is the byte size of the call's own arguments (8 per word,
   the instance word not counted). params is variable-length. */
typedef struct ComponentParameters {
    UInt8 flags;
    UInt8 paramSize;
    SInt16 what;
    UInt32 padding;
    long params[1];
} ComponentParameters;

typedef ComponentResult (*ComponentRoutineProcPtr)(ComponentParameters* cp, Handle componentStorage);
typedef ComponentRoutineProcPtr ComponentRoutineUPP;
typedef ComponentRoutineProcPtr ComponentRoutine;

#define NewComponentRoutineUPP(userRoutine) ((ComponentRoutineUPP)(userRoutine))
#define DisposeComponentRoutineUPP(userUPP)

/* Finding components. A zero type, subtype or manufacturer in the looking-for
   description matches anything; flags match where looking->componentFlagsMask
   has bits set. A NULL description matches every component. */
Component FindNextComponent(Component aComponent, ComponentDescription* looking);
long CountComponents(ComponentDescription* looking);
/* Changes whenever a component is registered or unregistered. */
long GetComponentListModSeed(void);

/* Fills the description and, for non-NULL handles, the name (a Pascal string);
   the info and icon handles are emptied. Accepts a Component or a
   ComponentInstance. */
OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle componentName,
                       Handle componentInfo, Handle componentIcon);
long CountComponentInstances(Component aComponent);

/* Registers an entry function of this process as a component. The name handle,
   when given, holds a Pascal string; info and icon are ignored. NULL when the
   arguments are unusable or, with registerComponentNoDuplicates, when an equal
   description is registered. */
Component RegisterComponent(ComponentDescription* cd, ComponentRoutineUPP componentEntryPoint, SInt16 global,
                            Handle componentName, Handle componentInfo, Handle componentIcon);
/* validInstancesExist while instances are open. */
OSErr UnregisterComponent(Component aComponent);

/* Opening and closing instances. A failed open calls the component's close
   selector before the instance is discarded. */
OSErr OpenAComponent(Component aComponent, ComponentInstance* ci);
ComponentInstance OpenComponent(Component aComponent);
OSErr CloseComponent(ComponentInstance aComponentInstance);

/* The instance storage handed to the entry function with every call. */
void SetComponentInstanceStorage(ComponentInstance aComponentInstance, Handle theStorage);
Handle GetComponentInstanceStorage(ComponentInstance aComponentInstance);

/* Asks the instance through kComponentCanDoSelect / kComponentVersionSelect. */
long ComponentFunctionImplemented(ComponentInstance ci, SInt16 ftnNumber);
long GetComponentVersion(ComponentInstance ci);

#ifdef __cplusplus
}
#endif

#endif /* __CORESERVICES_COMPONENTS__ */
