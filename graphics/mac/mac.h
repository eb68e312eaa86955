#pragma once

// The editor's home in the window system: the editor subclass, its view,
// menus, text-entry formatter, child window and the view factory.

#include "graphics/mac/CocoaFormatter.h"
#include "graphics/mac/CustomCocoaWindow.h"
#include "graphics/mac/IGraphicsCocoa.h"
#include "graphics/mac/IGraphicsMac.h"
#include "graphics/mac/IGraphicsMenu.h"
#include "graphics/mac/Orvanta_View.h"
