#pragma once
// Sizes computed from numbers a file or a caller supplies. Every
// a * b + c of widths, heights, bytes per pixel, pitches and offsets goes
// through checkedMad, which refuses negative factors and any result that
// does not fit 64 bits instead of wrapping; callers then hold the result to
// their own limit.

#include <cstdint>
#include <optional>

namespace gfx {

inline std::optional<std::uint64_t> checkedMad(std::int64_t a, std::int64_t b, std::int64_t c = 0) {
    if (a < 0 || b < 0 || c < 0) return std::nullopt;
    std::uint64_t product = 0;
    std::uint64_t sum = 0;
    if (__builtin_mul_overflow(static_cast<std::uint64_t>(a), static_cast<std::uint64_t>(b),
                               &product) ||
        __builtin_add_overflow(product, static_cast<std::uint64_t>(c), &sum)) {
        return std::nullopt;
    }
    return sum;
}

// checkedMad when the result must not pass `limit`.
inline bool madFits(std::int64_t a, std::int64_t b, std::int64_t c, std::uint64_t limit,
                    std::uint64_t& result) {
    const std::optional<std::uint64_t> size = checkedMad(a, b, c);
    if (!size || *size > limit) return false;
    result = *size;
    return true;
}

}  // namespace gfx
