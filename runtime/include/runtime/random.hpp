#pragma once
// The process-wide random generator: MT19937 with the runtime's own seeding.
// Used from the main thread only; no lock.

#include <cstdint>

namespace runtime {

// Selects the algorithm (0 = default = 3, the Mersenne Twister) and seeds it.
// Other algorithm numbers fall back to the twister.
void seedRandom(double seed, std::int32_t algorithm);

// Next double in [0, 1); n == 0 repeats the previous result without advancing.
// Seeds itself as seedRandom(0.0, 0) when never seeded.
double randomUnit(float n = 1.0f);

// Forgets all generator state, as at process start (for tests).
void resetRandom();

}  // namespace runtime
