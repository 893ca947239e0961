#pragma once
// Process-wide state behind the screen operations, shared by the files that
// implement them. Not for use outside gfx/.

#include <atomic>
#include <memory>

#include "gfx/screen.hpp"

namespace gfx::detail {

struct ScreenState {
    std::unique_ptr<Screen> screen;
    bool opening = false;  // between record creation and the driver's acceptance
    std::int32_t nextScreenId = 1;
    bool closeRegistered = false;
    // The text view is always the whole grid here; kept so clears can reset it.
    std::int32_t textViewFirst = 0;
    std::int32_t textViewLast = 0;
    std::int32_t cursorRow = 1;
    std::int32_t cursorColumn = 1;
    // Set when the pages were written, or handed out for writing, perhaps
    // outside the lock; the outer unlock then counts Screen::pageWrites up.
    std::atomic<bool> pagesWritten{false};
};

// Constant-initialised, so the drawing calls reach it without a guard.
extern constinit ScreenState theScreenState;

inline ScreenState& screenState() {
    return theScreenState;
}

// The outer levels of the lock, where the back end is involved.
void lockOuter(Screen& screen);
void unlockOuter(Screen& screen);

// lockScreen, with the nested case inline: the drawing calls take the lock
// on every call, almost always inside the program's own.
inline void lockForDrawing() {
    Screen* screen = theScreenState.screen.get();
    if (screen == nullptr) return;
    if (screen->lockCount == 0) return lockOuter(*screen);
    ++screen->lockCount;
}

// unlockScreen(1, 0), which the drawing calls end with: counts the lock down
// without marking rows, carrying out recorded drawing and releasing the back
// end's lock at the outer level. unlockScreen ends with it too.
inline void unlockAfterDrawing() {
    Screen* screen = theScreenState.screen.get();
    if (screen == nullptr || screen->lockCount <= 0) return;
    if (screen->lockCount == 1) return unlockOuter(*screen);
    --screen->lockCount;
}

// currentScreen for the runtime's own calls, which must not carry out the
// drawing recorded under the lock.
const Screen* openedScreen();

// Resets the text view to all rows and the cursor to row 1, column 1.
void resetTextView(ScreenState& state, const Screen& screen);

}  // namespace gfx::detail

namespace gfx::detail {

// Gives the window the program's file name unless a title was set already.
void ensureDefaultTitle();

}  // namespace gfx::detail
