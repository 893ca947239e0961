#pragma once
// Which vector width the processor offers the pixel loops. x86-64 has
// 16-byte vectors everywhere and 32-byte ones where it reports AVX2; a
// WebAssembly build runs the 16-byte loops on the engine's 128-bit SIMD.

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64)
#define LETTERMOOR_WIDE_VECTORS 1
#endif

namespace gfx {

inline bool cpuHasWideVectors() {
#if defined(LETTERMOOR_WIDE_VECTORS)
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

}  // namespace gfx
