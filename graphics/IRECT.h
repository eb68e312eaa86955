#pragma once

#include <algorithm>

// An integer rectangle in editor space (origin top-left, y downwards). Right
// and bottom are exclusive. All four fields 0 is the empty rectangle; a
// rectangle of zero area with other fields is not empty, and the comparisons
// below keep that distinction exactly (controls rely on it for dirty regions).
struct IRECT
{
  int L = 0, T = 0, R = 0, B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}

  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  int W() const { return R - L; }
  int H() const { return B - T; }
  float MidX() const { return (float)(L + R) * 0.5f; }
  float MidY() const { return (float)(T + B) * 0.5f; }

  bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }

  // The right/bottom tests use >= so that a zero-area rectangle on another's
  // left or top edge still counts as touching it.
  bool Intersects(const IRECT* pRHS) const
  {
    if (Empty() || !pRHS || pRHS->Empty()) return false;
    return R >= pRHS->L && L < pRHS->R && B >= pRHS->T && T < pRHS->B;
  }

  IRECT Intersect(const IRECT* pRHS) const
  {
    if (!Intersects(pRHS)) return IRECT();
    return IRECT(std::max(L, pRHS->L), std::max(T, pRHS->T), std::min(R, pRHS->R), std::min(B, pRHS->B));
  }

  IRECT Union(const IRECT* pRHS) const
  {
    if (Empty()) return pRHS ? *pRHS : IRECT();
    if (!pRHS || pRHS->Empty()) return *this;
    return IRECT(std::min(L, pRHS->L), std::min(T, pRHS->T), std::max(R, pRHS->R), std::max(B, pRHS->B));
  }

  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRECT& o) const { return !(*this == o); }
};
