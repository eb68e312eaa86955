#pragma once

// The editor: geometry and style types, popup menus, the drawing API and the
// process-wide image and font caches.

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
