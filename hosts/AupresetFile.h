// .aupreset files: a unit's state dictionary as the property-list file hosts
// on the platform exchange ("version", "type", "subtype", "manufacturer",
// "name", "data"). Called on the program's single thread.

#pragma once

#include <AudioUnit/AudioComponent.h>
#include <CoreFoundation/CoreFoundation.h>

#include <string>
#include <vector>

// Reads and parses FILE (XML or binary property list); a damaged document is
// refused with the reader's reason. The caller releases the dictionary.
bool ReadAupreset(const std::string& path, CFDictionaryRef* state, std::string* error);

// Whether the dictionary is a state of the component `desc`: the identity
// entries are numbers naming that component, and "name" and "data" are there
// with the right types. `path` only names the file in the error.
bool CheckAupreset(CFDictionaryRef state, const AudioComponentDescription& desc, const std::string& path,
                   std::string* error);

// The XML property-list bytes of a state dictionary.
bool EncodeAupreset(CFPropertyListRef state, std::vector<UInt8>* bytes, std::string* error);

// The state's "name" text ("" when there is none).
std::string AupresetName(CFDictionaryRef state);

// The length of the state's "data" bytes; -1 when there are none.
CFIndex AupresetDataLength(CFDictionaryRef state);

// A copy of the state with its "name" replaced. The caller releases it.
CFDictionaryRef CopyAupresetWithName(CFDictionaryRef state, const std::string& name);
