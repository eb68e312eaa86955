#pragma once

// The editor: geometry and style types, popup menus, the drawing API, the
// process-wide image and font caches, the graphics manager and its controls.

#include "graphics/IRECT.h"
#include "graphics/IColor.h"
#include "graphics/IChannelBlend.h"
#include "graphics/IText.h"
#include "graphics/IBitmap.h"
#include "graphics/IMouseMod.h"
#include "graphics/IPopupMenu.h"
#include "graphics/BitmapStorage.h"
#include "graphics/FontStorage.h"
#include "graphics/IGraphics.h"
#include "graphics/IControl.h"
#include "graphics/IPanelControl.h"
#include "graphics/IBitmapControl.h"
#include "graphics/IKnobControl.h"
#include "graphics/ITextControl.h"
