#pragma once

#include <cstdint>

// The trace of noise added to the effect's input: a generator of tiny
// single-precision steps and the table of their running sum the chain reads.
class OrvantaNoise {
public:
  static constexpr int kTableSize = 44100;

  // Process-wide generator state, shared by every instance without a lock;
  // only instance construction advances it, and that is serialised by the
  // plug-in factory's mutex.
  static uint32_t _rand_state;

  // Advances the generator and adds one noise sample (about ±1e-20) to x.
  static void add_white_noise(float& x);

  // Fills kTableSize entries with a slow random walk: a single-precision
  // accumulator advanced by add_white_noise, widened to double.
  static void fillTable(double* table);
};
