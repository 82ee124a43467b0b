#pragma once
// The program-wide pseudo-random generator: a 32-bit linear congruential
// state shared by every parser object.

#include "core/Extended.h"

#include <cstdint>

namespace xtq {

std::uint32_t RandSeed();
void SetRandSeed(std::uint32_t seed);
// Reseeds from the clock.
void Randomize();
// Advances the state and returns it scaled to [0, 1).
Extended NextRandom();

} // namespace xtq
