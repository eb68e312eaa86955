// The Audio Unit and music-device host calls: each checks the instance and
// the pointers the unit must use, packs its arguments into a component call
// record in declaration order and calls the unit's entry function.
#include <AudioUnit/AudioUnit.h>

#include "audiounit/ComponentCall.h"
#include "audiounit/ComponentRegistry.h"

using orvanta_cm::ComponentRegistry;
using orvanta_cm::InvokeEntry;

namespace {

// Runs on the calling thread (host UI or render thread); takes the registry's
// shared lock only for the lookup, never across the unit's code.
template <typename... Args>
OSStatus CallUnit(AudioUnit unit, SInt16 what, Args... args) {
    ComponentRoutineUPP entry = nullptr;
    Handle storage = nullptr;
    if (!ComponentRegistry::Get().Resolve(unit, &entry, &storage)) {
        return badComponentInstance;
    }
    return InvokeEntry(entry, storage, unit, what, args...);
}

}  // namespace

extern "C" {

OSStatus AudioUnitInitialize(AudioUnit inUnit) {
    return CallUnit(inUnit, kAudioUnitInitializeSelect);
}

OSStatus AudioUnitUninitialize(AudioUnit inUnit) {
    return CallUnit(inUnit, kAudioUnitUninitializeSelect);
}

OSStatus AudioUnitGetPropertyInfo(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                                  AudioUnitElement inElement, UInt32* outDataSize, Boolean* outWritable) {
    return CallUnit(inUnit, kAudioUnitGetPropertyInfoSelect, inID, inScope, inElement, outDataSize, outWritable);
}

OSStatus AudioUnitGetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, void* outData, UInt32* ioDataSize) {
    return CallUnit(inUnit, kAudioUnitGetPropertySelect, inID, inScope, inElement, outData, ioDataSize);
}

OSStatus AudioUnitSetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, const void* inData, UInt32 inDataSize) {
    return CallUnit(inUnit, kAudioUnitSetPropertySelect, inID, inScope, inElement, inData, inDataSize);
}

OSStatus AudioUnitAddPropertyListener(AudioUnit inUnit, AudioUnitPropertyID inID,
                                      AudioUnitPropertyListenerProc inProc, void* inProcUserData) {
    if (inProc == nullptr) {
        return kAudio_ParamError;
    }
    return CallUnit(inUnit, kAudioUnitAddPropertyListenerSelect, inID, inProc, inProcUserData);
}

OSStatus AudioUnitRemovePropertyListener(AudioUnit inUnit, AudioUnitPropertyID inID,
                                         AudioUnitPropertyListenerProc inProc) {
    return CallUnit(inUnit, kAudioUnitRemovePropertyListenerSelect, inID, inProc);
}

OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit inUnit, AudioUnitPropertyID inID,
                                                     AudioUnitPropertyListenerProc inProc, void* inProcUserData) {
    OSStatus status =
        CallUnit(inUnit, kAudioUnitRemovePropertyListenerWithUserDataSelect, inID, inProc, inProcUserData);
    // Units that predate the user-data selector only know removal by function.
    if (status == badComponentSelector) {
        status = CallUnit(inUnit, kAudioUnitRemovePropertyListenerSelect, inID, inProc);
    }
    return status;
}

OSStatus AudioUnitAddRenderNotify(AudioUnit inUnit, AURenderCallback inProc, void* inProcUserData) {
    if (inProc == nullptr) {
        return kAudio_ParamError;
    }
    return CallUnit(inUnit, kAudioUnitAddRenderNotifySelect, inProc, inProcUserData);
}

OSStatus AudioUnitRemoveRenderNotify(AudioUnit inUnit, AURenderCallback inProc, void* inProcUserData) {
    return CallUnit(inUnit, kAudioUnitRemoveRenderNotifySelect, inProc, inProcUserData);
}

OSStatus AudioUnitGetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue* outValue) {
    if (outValue == nullptr) {
        return kAudio_ParamError;
    }
    return CallUnit(inUnit, kAudioUnitGetParameterSelect, inID, inScope, inElement, outValue);
}

OSStatus AudioUnitSetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue inValue,
                               UInt32 inBufferOffsetInFrames) {
    return CallUnit(inUnit, kAudioUnitSetParameterSelect, inID, inScope, inElement, inValue,
                    inBufferOffsetInFrames);
}

OSStatus AudioUnitScheduleParameters(AudioUnit inUnit, const AudioUnitParameterEvent* inParameterEvent,
                                     UInt32 inNumParamEvents) {
    if (inParameterEvent == nullptr && inNumParamEvents > 0) {
        return kAudio_ParamError;
    }
    return CallUnit(inUnit, kAudioUnitScheduleParametersSelect, inParameterEvent, inNumParamEvents);
}

OSStatus AudioUnitRender(AudioUnit inUnit, AudioUnitRenderActionFlags* ioActionFlags,
                         const AudioTimeStamp* inTimeStamp, UInt32 inOutputBusNumber, UInt32 inNumberFrames,
                         AudioBufferList* ioData) {
    if (ioActionFlags == nullptr || inTimeStamp == nullptr || ioData == nullptr) {
        return kAudio_ParamError;
    }
    return CallUnit(inUnit, kAudioUnitRenderSelect, ioActionFlags, inTimeStamp, inOutputBusNumber, inNumberFrames,
                    ioData);
}

OSStatus AudioUnitReset(AudioUnit inUnit, AudioUnitScope inScope, AudioUnitElement inElement) {
    return CallUnit(inUnit, kAudioUnitResetSelect, inScope, inElement);
}

OSStatus MusicDeviceMIDIEvent(MusicDeviceComponent inUnit, UInt32 inStatus, UInt32 inData1, UInt32 inData2,
                              UInt32 inOffsetSampleFrame) {
    return CallUnit(inUnit, kMusicDeviceMIDIEventSelect, inStatus, inData1, inData2, inOffsetSampleFrame);
}

OSStatus MusicDeviceSysEx(MusicDeviceComponent inUnit, const UInt8* inData, UInt32 inLength) {
    if (inData == nullptr && inLength > 0) {
        return kAudio_ParamError;
    }
    return CallUnit(inUnit, kMusicDeviceSysExSelect, inData, inLength);
}

OSStatus MusicDeviceStartNote(MusicDeviceComponent inUnit, MusicDeviceInstrumentID inInstrument,
                              MusicDeviceGroupID inGroupID, NoteInstanceID* outNoteInstanceID,
                              UInt32 inOffsetSampleFrame, const MusicDeviceNoteParams* inParams) {
    if (outNoteInstanceID == nullptr || inParams == nullptr) {
        return kAudio_ParamError;
    }
    return CallUnit(inUnit, kMusicDeviceStartNoteSelect, inInstrument, inGroupID, outNoteInstanceID,
                    inOffsetSampleFrame, inParams);
}

OSStatus MusicDeviceStopNote(MusicDeviceComponent inUnit, MusicDeviceGroupID inGroupID,
                             NoteInstanceID inNoteInstanceID, UInt32 inOffsetSampleFrame) {
    return CallUnit(inUnit, kMusicDeviceStopNoteSelect, inGroupID, inNoteInstanceID, inOffsetSampleFrame);
}

}  // extern "C"
