#pragma once

// The plug-in core: parameters, the plug-in base, state chunks and presets,
// host identification, utilities, MIDI records and the containers.

#include "plugin/containers/KIT_HeapBuf.h"
#include "plugin/containers/KIT_Mutex.h"
#include "plugin/containers/KIT_PtrList.h"
#include "plugin/containers/KIT_String.h"
#include "plugin/containers/KIT_StringKeyedArray.h"
#include "plugin/containers/KIT_TypedBuf.h"

#include "plugin/Base64.h"
#include "plugin/ByteChunk.h"
#include "plugin/FileIO.h"
#include "plugin/IFxBase.h"
#include "plugin/IFxFactory.h"
#include "plugin/IParam.h"
#include "plugin/IPreset.h"
#include "plugin/IMidiMsg.h"
#include "plugin/IPlugHosts.h"
#include "plugin/IPlugTrace.h"
#include "plugin/IPlugUtilities.h"
#include "plugin/ISysEx.h"
