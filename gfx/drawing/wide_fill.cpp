#include "gfx/drawing/wide_fill.hpp"

#include <cstring>

#include "gfx/drawing/cpu_features.hpp"

namespace gfx {
namespace {

// Head and tail are single unaligned stores of a whole Vector that may
// overlap the aligned body, so no run needs a pixel-by-pixel prologue; a run
// shorter than one store is written a pixel at a time.
template <typename Vector>
[[gnu::always_inline]] inline void fillWith(std::uint8_t* first, std::uint32_t value,
                                            std::size_t count) {
    constexpr std::ptrdiff_t Bytes = sizeof(Vector);
    if (4 * count < sizeof(Vector)) {
        for (std::size_t i = 0; i < count; ++i) std::memcpy(first + 4 * i, &value, 4);
        return;
    }
    const Vector wide = Vector{} + value;
    std::uint8_t* const end = first + 4 * count;
    std::memcpy(first, &wide, Bytes);
    // The first boundary past `first`: the head store covers everything before it.
    std::uint8_t* out = first + Bytes;
    out -= reinterpret_cast<std::uintptr_t>(out) & (Bytes - 1);
    for (; end - out >= 4 * Bytes; out += 4 * Bytes) {
        for (std::ptrdiff_t i = 0; i < 4; ++i) std::memcpy(out + i * Bytes, &wide, Bytes);
    }
    for (; end - out >= Bytes; out += Bytes) std::memcpy(out, &wide, Bytes);
    std::memcpy(end - Bytes, &wide, Bytes);
}

}  // namespace

void wideFill16(std::uint8_t* first, std::uint32_t value, std::size_t count) {
    fillWith<std::uint32_t __attribute__((vector_size(16)))>(first, value, count);
}

__attribute__((target("avx2"))) void wideFill32(std::uint8_t* first, std::uint32_t value,
                                                std::size_t count) {
#if defined(LETTERMOOR_WIDE_VECTORS)
    // A string store writes whole cache lines without reading them first,
    // which a band of the frame record (a quarter megabyte) gains from.
    if (count >= 4096) {
        asm volatile("rep stosl" : "+D"(first), "+c"(count) : "a"(value) : "memory");
        return;
    }
#endif
    fillWith<std::uint32_t __attribute__((vector_size(32)))>(first, value, count);
}

WideFillFn wideFill() {
    static const WideFillFn chosen = cpuHasWideVectors() ? wideFill32 : wideFill16;
    return chosen;
}

}  // namespace gfx
