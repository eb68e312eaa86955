// Parameter and event listeners: a process-wide list of listeners, each with
// its registrations, and synchronous delivery on the notifying thread.
#include <AudioToolbox/AudioToolbox.h>

#include <algorithm>
#include <ctime>
#include <mutex>
#include <vector>

struct AUListenerBase {
    AUEventListenerProc eventProc = nullptr;
    AUParameterListenerProc parameterProc = nullptr;
    void* userData = nullptr;

    struct Registration {
        void* object;
        AudioUnitEvent event;
    };
    std::vector<Registration> registrations;
};

namespace {

// Listeners in creation order; a notification visits them in that order.
struct ListenerTable {
    std::mutex mutex;
    std::vector<AUListenerBase*> listeners;

    bool ContainsLocked(const AUListenerBase* listener) const {
        return listener != nullptr && std::find(listeners.begin(), listeners.end(), listener) != listeners.end();
    }
};

ListenerTable& Table() {
    static ListenerTable* table = new ListenerTable();
    return *table;
}

bool IsParameterEvent(AudioUnitEventType type) {
    return type == kAudioUnitEvent_ParameterValueChange || type == kAudioUnitEvent_BeginParameterChangeGesture ||
           type == kAudioUnitEvent_EndParameterChangeGesture;
}

bool IsKnownEvent(AudioUnitEventType type) {
    return IsParameterEvent(type) || type == kAudioUnitEvent_PropertyChange;
}

bool SameEvent(const AudioUnitEvent& a, const AudioUnitEvent& b) {
    if (a.mEventType != b.mEventType) {
        return false;
    }
    if (IsParameterEvent(a.mEventType)) {
        const AudioUnitParameter& p = a.mArgument.mParameter;
        const AudioUnitParameter& q = b.mArgument.mParameter;
        return p.mAudioUnit == q.mAudioUnit && p.mParameterID == q.mParameterID && p.mScope == q.mScope &&
               p.mElement == q.mElement;
    }
    const AudioUnitProperty& p = a.mArgument.mProperty;
    const AudioUnitProperty& q = b.mArgument.mProperty;
    return p.mAudioUnit == q.mAudioUnit && p.mPropertyID == q.mPropertyID && p.mScope == q.mScope &&
           p.mElement == q.mElement;
}

// A registration for kAUParameterListener_AnyParameter hears every
// parameter of its unit.
bool RegistrationHears(const AudioUnitEvent& registered, const AudioUnitEvent& sent) {
    if (registered.mEventType != sent.mEventType) {
        return false;
    }
    if (IsParameterEvent(sent.mEventType) &&
        registered.mArgument.mParameter.mParameterID == kAUParameterListener_AnyParameter) {
        return registered.mArgument.mParameter.mAudioUnit == sent.mArgument.mParameter.mAudioUnit;
    }
    return SameEvent(registered, sent);
}

UInt64 HostTimeNow() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<UInt64>(now.tv_sec) * 1000000000ULL + static_cast<UInt64>(now.tv_nsec);
}

OSStatus Create(AUEventListenerProc eventProc, AUParameterListenerProc parameterProc, void* userData,
                AUListenerBase** out) {
    if (out == nullptr) {
        return kAudio_ParamError;
    }
    *out = nullptr;
    if (eventProc == nullptr && parameterProc == nullptr) {
        return kAudio_ParamError;
    }
    auto* listener = new AUListenerBase();
    listener->eventProc = eventProc;
    listener->parameterProc = parameterProc;
    listener->userData = userData;
    ListenerTable& table = Table();
    std::lock_guard lock(table.mutex);
    table.listeners.push_back(listener);
    *out = listener;
    return noErr;
}

OSStatus AddRegistration(AUListenerBase* listener, void* object, const AudioUnitEvent& event) {
    ListenerTable& table = Table();
    std::lock_guard lock(table.mutex);
    if (!table.ContainsLocked(listener)) {
        return kAudio_ParamError;
    }
    // Parameter listeners only ever hear value changes.
    if (listener->eventProc == nullptr && event.mEventType != kAudioUnitEvent_ParameterValueChange) {
        return kAudio_ParamError;
    }
    for (const AUListenerBase::Registration& existing : listener->registrations) {
        if (existing.object == object && SameEvent(existing.event, event)) {
            return noErr;
        }
    }
    listener->registrations.push_back({object, event});
    return noErr;
}

OSStatus RemoveRegistration(AUListenerBase* listener, void* object, const AudioUnitEvent& event) {
    ListenerTable& table = Table();
    std::lock_guard lock(table.mutex);
    if (!table.ContainsLocked(listener)) {
        return kAudio_ParamError;
    }
    auto& registrations = listener->registrations;
    registrations.erase(std::remove_if(registrations.begin(), registrations.end(),
                                       [&](const AUListenerBase::Registration& r) {
                                           return r.object == object && SameEvent(r.event, event);
                                       }),
                        registrations.end());
    return noErr;
}

AudioUnitEvent ValueChangeOf(const AudioUnitParameter& parameter) {
    AudioUnitEvent event{};
    event.mEventType = kAudioUnitEvent_ParameterValueChange;
    event.mArgument.mParameter = parameter;
    return event;
}

struct Delivery {
    AUEventListenerProc eventProc;
    AUParameterListenerProc parameterProc;
    void* userData;
    void* object;
};

}  // namespace

extern "C" {

OSStatus AUListenerCreate(AUParameterListenerProc inProc, void* inUserData, AUParameterListenerRef* outListener) {
    return Create(nullptr, inProc, inUserData, outListener);
}

OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inUserData, AUEventListenerRef* outListener) {
    return Create(inProc, nullptr, inUserData, outListener);
}

OSStatus AUListenerAddParameter(AUParameterListenerRef inListener, void* inObject,
                                const AudioUnitParameter* inParameter) {
    if (inParameter == nullptr) {
        return kAudio_ParamError;
    }
    return AddRegistration(inListener, inObject, ValueChangeOf(*inParameter));
}

OSStatus AUListenerRemoveParameter(AUParameterListenerRef inListener, void* inObject,
                                   const AudioUnitParameter* inParameter) {
    if (inParameter == nullptr) {
        return kAudio_ParamError;
    }
    return RemoveRegistration(inListener, inObject, ValueChangeOf(*inParameter));
}

OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent) {
    if (inEvent == nullptr || !IsKnownEvent(inEvent->mEventType)) {
        return kAudio_ParamError;
    }
    return AddRegistration(inListener, inObject, *inEvent);
}

OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject,
                                        const AudioUnitEvent* inEvent) {
    if (inEvent == nullptr || !IsKnownEvent(inEvent->mEventType)) {
        return kAudio_ParamError;
    }
    return RemoveRegistration(inListener, inObject, *inEvent);
}

OSStatus AUListenerDispose(AUParameterListenerRef inListener) {
    ListenerTable& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = std::find(table.listeners.begin(), table.listeners.end(), inListener);
    if (inListener == nullptr || it == table.listeners.end()) {
        return kAudio_ParamError;
    }
    table.listeners.erase(it);
    delete inListener;
    return noErr;
}

OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void* inSendingObject,
                               const AudioUnitEvent* inEvent) {
    if (inEvent == nullptr || !IsKnownEvent(inEvent->mEventType)) {
        return kAudio_ParamError;
    }
    const AudioUnitEvent event = *inEvent;
    // Listeners are called without the table lock so they may register,
    // notify or dispose of listeners themselves.
    std::vector<Delivery> deliveries;
    {
        ListenerTable& table = Table();
        std::lock_guard lock(table.mutex);
        for (AUListenerBase* listener : table.listeners) {
            for (const AUListenerBase::Registration& r : listener->registrations) {
                bool isSender = inSendingListener != nullptr && listener == inSendingListener &&
                                (inSendingObject == nullptr || r.object == inSendingObject);
                if (!isSender && RegistrationHears(r.event, event)) {
                    deliveries.push_back({listener->eventProc, listener->parameterProc, listener->userData, r.object});
                }
            }
        }
    }
    if (deliveries.empty()) {
        return noErr;
    }
    AudioUnitParameterValue value = 0;
    if (event.mEventType == kAudioUnitEvent_ParameterValueChange) {
        const AudioUnitParameter& p = event.mArgument.mParameter;
        if (AudioUnitGetParameter(p.mAudioUnit, p.mParameterID, p.mScope, p.mElement, &value) != noErr) {
            value = 0;
        }
    }
    UInt64 hostTime = HostTimeNow();
    for (const Delivery& d : deliveries) {
        if (d.eventProc != nullptr) {
            d.eventProc(d.userData, d.object, &event, hostTime, value);
        } else {
            d.parameterProc(d.userData, d.object, &event.mArgument.mParameter, value);
        }
    }
    return noErr;
}

OSStatus AUParameterListenerNotify(AUParameterListenerRef inSendingListener, void* inSendingObject,
                                   const AudioUnitParameter* inParameter) {
    if (inParameter == nullptr) {
        return kAudio_ParamError;
    }
    AudioUnitEvent event = ValueChangeOf(*inParameter);
    return AUEventListenerNotify(inSendingListener, inSendingObject, &event);
}

OSStatus AUParameterSet(AUParameterListenerRef inSendingListener, void* inSendingObject,
                        const AudioUnitParameter* inParameter, AudioUnitParameterValue inValue,
                        UInt32 inBufferOffsetInFrames) {
    if (inParameter == nullptr) {
        return kAudio_ParamError;
    }
    OSStatus status = AudioUnitSetParameter(inParameter->mAudioUnit, inParameter->mParameterID,
                                            inParameter->mScope, inParameter->mElement, inValue,
                                            inBufferOffsetInFrames);
    if (status != noErr) {
        return status;
    }
    return AUParameterListenerNotify(inSendingListener, inSendingObject, inParameter);
}

}  // extern "C"
