#pragma once
// A failed invariant ends the run the way a sanitizer finding does, so
// libFuzzer keeps the input that caused it.

#include <cstdio>
#include <cstdlib>

#include "gfx/screen.hpp"

#define FUZZ_REQUIRE(condition)                                                                    \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// The game's screen on the back end that shows nothing.
inline bool openGameScreen() {
    gfx::presetDriverName("null");
    return gfx::openScreen(1000, 600, 32, 0, 0, 0) == 0;
}
