// The Orvanta editor's LV2 UI: the effect built with its editor, reporting
// its parameter changes as port writes.

#include "effect/Orvanta.h"
#include "effect/OrvantaIds.h"
#include "lv2/ui/IFxLV2UI.h"

IFXLV2UI_ENTRY_POINTS(Orvanta, kOrvantaBundleID, kOrvantaViewClassName)
