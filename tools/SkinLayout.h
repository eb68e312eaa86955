#pragma once

// Where the effect's editor places each skin image, and the frame sizes the
// images are drawn at. The editor sizes its controls from the images, so
// these numbers are the only place the panel's geometry is decided.

namespace skin {

constexpr int kPanelWidth = 432;
constexpr int kPanelHeight = 357;

// Four knobs on one row, 40 pixels apart; one film strip serves all four.
constexpr int kKnobCount = 4;
constexpr int kKnobLeft[kKnobCount] = {177, 217, 257, 297};
constexpr int kKnobTop = 29;
constexpr const char* kKnobLabel[kKnobCount] = {"Level", "Drive", "Low", "High"};
constexpr int kKnobFrames = 65;
constexpr int kKnobSize = 36;
// Frame 0 is the minimum, the last frame the maximum; degrees clockwise
// from straight up.
constexpr double kKnobMinDegrees = -135.0;
constexpr double kKnobMaxDegrees = 135.0;

// The channel switch: frame 0 is "Clean" (lever down), frame 1 "Dirty"
// (lever up).
constexpr int kSwitchLeft = 139;
constexpr int kSwitchTop = 35;
constexpr int kSwitchFrames = 2;
constexpr int kSwitchSize = 30;

// The about box opens over the grille from a hot spot near its corner.
constexpr int kAboutLeft = 19;
constexpr int kAboutTop = 97;
constexpr int kAboutWidth = 394;
constexpr int kAboutHeight = 240;
constexpr int kHotSpotLeft = 24;
constexpr int kHotSpotTop = 282;
constexpr int kHotSpotRight = 54;
constexpr int kHotSpotBottom = 312;

constexpr const char* kProductName = "Orvanta";
constexpr const char* kVersion = "1.3.0";
constexpr const char* kVendor = "zerrantic";

// Centre of a knob or switch frame on the panel.
constexpr double KnobCentreX(int i) { return kKnobLeft[i] + kKnobSize / 2.0; }
constexpr double KnobCentreY() { return kKnobTop + kKnobSize / 2.0; }
constexpr double SwitchCentreX() { return kSwitchLeft + kSwitchSize / 2.0; }
constexpr double SwitchCentreY() { return kSwitchTop + kSwitchSize / 2.0; }

static_assert(kKnobSize <= kKnobLeft[1] - kKnobLeft[0], "the knob row must fit its spacing");
static_assert(kSwitchLeft + kSwitchSize <= kKnobLeft[0], "the switch must end before the first knob");
static_assert(kAboutLeft + kAboutWidth <= kPanelWidth && kAboutTop + kAboutHeight <= kPanelHeight,
              "the about box must fit inside the panel");

} // namespace skin
