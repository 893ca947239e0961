#pragma once
// The nested screen lock as the runtime's own calls take it. Not for use
// outside gfx/.

#include "gfx/screen.hpp"

namespace gfx::detail {

// The outer levels of the lock, where the back end is involved.
void lockOuter(Screen& screen);
void unlockOuter(Screen& screen);

// Hands the screen's 256 shown palette entries to its back end.
void showPalette(const Screen& screen);

// The lock as every drawing call takes it, almost always inside the
// program's own, so the nested case is inline. Taken at the outer level, it
// leaves the thread's target drawing at once: a lone call is its own frame.
[[gnu::always_inline]] inline void lockForDrawing() {
    Screen* screen = activeScreen();
    if (screen == nullptr) return;
    if (screen->lockCount == 0) return lockOuter(*screen);
    ++screen->lockCount;
}

// unlockScreen(1, 0), which the drawing calls end with: counts the lock down
// without marking rows, and at the outer level finishes the frame's drawing
// and releases the back end's lock. unlockScreen ends with it too.
[[gnu::always_inline]] inline void unlockAfterDrawing() {
    Screen* screen = activeScreen();
    if (screen == nullptr || screen->lockCount <= 0) return;
    if (screen->lockCount == 1) return unlockOuter(*screen);
    --screen->lockCount;
}

}  // namespace gfx::detail
