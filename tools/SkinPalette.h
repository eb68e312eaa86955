#pragma once

// The colours the skin images share, so the knobs, the switch, the panel and
// the about box look like parts of one amplifier.

#include "SkinCanvas.h"

namespace skin {

// Brushed brass of the control plate.
constexpr SkinColour kBrassLight = {226, 196, 124};
constexpr SkinColour kBrassDark = {166, 132, 66};
// Engraving on the plate.
constexpr SkinColour kInk = {38, 26, 14};
constexpr SkinColour kInkLight = {250, 236, 196};
// Knob skirt and cap.
constexpr SkinColour kSkirtTop = {78, 76, 74};
constexpr SkinColour kSkirtBottom = {14, 14, 14};
constexpr SkinColour kCapLight = {246, 226, 160};
constexpr SkinColour kCapDark = {140, 104, 44};
constexpr SkinColour kPointer = {250, 248, 240};
// Chrome of the switch and the badge.
constexpr SkinColour kChromeLight = {250, 250, 252};
constexpr SkinColour kChromeDark = {92, 94, 100};
// Tolex, piping and grille cloth.
constexpr SkinColour kTolex = {30, 28, 27};
constexpr SkinColour kPiping = {214, 200, 168};
constexpr SkinColour kClothDark = {34, 22, 16};
constexpr SkinColour kClothWarp = {120, 86, 52};
constexpr SkinColour kClothWeft = {92, 62, 38};
constexpr SkinColour kLogo = {240, 226, 186};

} // namespace skin
