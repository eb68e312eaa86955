#pragma once

// Buttons and modifier keys of a mouse event: left, right, shift, control or
// command, alternate/option.
struct IMouseMod
{
  bool L = false, R = false, S = false, C = false, A = false;

  IMouseMod() = default;
  IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false) : L(l), R(r), S(s), C(c), A(a) {}
};

// Orientation of faders, knobs, radio buttons and spinners.
enum EDirection
{
  kVertical = 0,
  kHorizontal = 1
};
