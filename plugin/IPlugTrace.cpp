#include "plugin/IPlugTrace.h"

// With tracing switched off nobody reads these names, so no table is kept.
const char* AUSelectStr(int) { return ""; }
const char* AUPropertyStr(int) { return ""; }
const char* AUScopeStr(int) { return ""; }
const char* VSTOpcodeStr(int) { return ""; }
