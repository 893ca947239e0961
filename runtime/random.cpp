#include "runtime/random.hpp"

#include <array>
#include <cmath>

namespace runtime {
namespace {

constexpr int kStateWords = 624;
constexpr int kShift = 397;
constexpr std::uint32_t kMatrix = 0x9908B0DFu;
constexpr std::uint32_t kUpper = 0x80000000u;
constexpr std::uint32_t kLower = 0x7FFFFFFFu;

struct Generator {
    std::array<std::uint32_t, kStateWords> state{};
    int index = kStateWords;
    double last = 0.0;
    bool seeded = false;
};

Generator gen;

void regenerate() {
    auto& s = gen.state;
    for (int i = 0; i < kStateWords; ++i) {
        const std::uint32_t y = (s[i] & kUpper) | (s[(i + 1) % kStateWords] & kLower);
        s[i] = s[(i + kShift) % kStateWords] ^ (y >> 1) ^ ((y & 1u) != 0 ? kMatrix : 0u);
    }
    gen.index = 0;
}

std::uint32_t temper(std::uint32_t y) {
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

// The seed truncated toward zero to 64 bits; values outside that range have
// no defined conversion, so they saturate instead of invoking undefined behaviour.
std::int64_t wholeSeed(double seed) {
    const double t = std::trunc(seed);
    if (std::isnan(t)) return 0;
    if (t >= 0x1p63) return INT64_MAX;
    if (t <= -0x1p63) return INT64_MIN;
    return static_cast<std::int64_t>(t);
}

}  // namespace

void seedRandom(double seed, std::int32_t /*algorithm*/) {
    gen.state[0] = static_cast<std::uint32_t>(static_cast<std::uint64_t>(wholeSeed(seed)));
    for (int i = 1; i < kStateWords; ++i) {
        gen.state[i] = 1664525u * gen.state[i - 1] + 1013904223u;
    }
    gen.index = kStateWords;
    gen.seeded = true;
}

double randomUnit(float n) {
    if (n == 0.0f) return gen.last;
    if (!gen.seeded) seedRandom(0.0, 0);
    if (gen.index >= kStateWords) regenerate();
    const std::uint32_t y = temper(gen.state[gen.index++]);
    gen.last = std::ldexp(static_cast<double>(y), -32);
    return gen.last;
}

void resetRandom() {
    gen = Generator{};
}

}  // namespace runtime
