#include "effect/OrvantaNoise.h"

#include <cstring>

uint32_t OrvantaNoise::_rand_state = 1;

void OrvantaNoise::add_white_noise(float& x) {
  _rand_state = _rand_state * 1234567u + 890123u;
  // Sign from bit 31, exponent fixed at 60 (2^-67), mantissa bits 16..22:
  // magnitudes between 6.8e-21 and 1.35e-20.
  const uint32_t bits = (_rand_state & 0x807f0000u) | 0x1e000000u;
  float noise;
  std::memcpy(&noise, &bits, sizeof noise);
  x += noise;
}

void OrvantaNoise::fillTable(double* table) {
  float accumulator = 0.0f;
  for (int i = 0; i < kTableSize; ++i) {
    add_white_noise(accumulator);
    table[i] = static_cast<double>(accumulator);
  }
}
