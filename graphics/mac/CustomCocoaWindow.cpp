#include "graphics/mac/CustomCocoaWindow.h"

NS_REGISTER_CLASS(CustomCocoaWindow_vOrvanta_au, NSObject);
