#pragma once
// Long runs of one 32-bit value, written with the widest stores the
// processor offers. Both variants give the same bytes; the choice is speed.

#include <cstddef>
#include <cstdint>

namespace gfx {

using WideFillFn = void (*)(std::uint8_t* first, std::uint32_t value, std::size_t count);

// 16-byte stores; every x86-64 processor has them.
void wideFill16(std::uint8_t* first, std::uint32_t value, std::size_t count);
// 32-byte stores; only where the processor reports AVX2.
void wideFill32(std::uint8_t* first, std::uint32_t value, std::size_t count);

// The best variant for this processor, chosen once.
WideFillFn wideFill();

}  // namespace gfx
