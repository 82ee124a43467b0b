#include "formula/Random.h"

#include <chrono>

namespace xtq {
namespace {
std::uint32_t state = 0;
}

std::uint32_t RandSeed() {
    return state;
}
void SetRandSeed(std::uint32_t seed) {
    state = seed;
}

void Randomize() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    state = static_cast<std::uint32_t>(ticks ^ (ticks >> 32));
}

Extended NextRandom() {
    state = state * 134775813u + 1u; // arithmetic modulo 2^32
    return static_cast<Extended>(state) / 4294967296.0L;
}

} // namespace xtq
