#pragma once
// Process-wide state behind the screen operations, shared by the files that
// implement them. Not for use outside gfx/.

#include <atomic>
#include <memory>

#include "gfx/screen.hpp"

namespace gfx::detail {

struct ScreenState {
    std::unique_ptr<Screen> screen;
    std::int32_t nextScreenId = 1;
    bool closeRegistered = false;
    // The text view is always the whole grid here; kept so clears can reset it.
    std::int32_t textViewFirst = 0;
    std::int32_t textViewLast = 0;
    std::int32_t cursorRow = 1;
    std::int32_t cursorColumn = 1;
    // pagesVersion: counted up under the lock by whoever writes the pages,
    // read by the presenting thread under the same lock.
    std::atomic<std::uint64_t> pagesVersion{0};
};

// Constant-initialised, so the drawing calls reach it without a guard.
extern constinit ScreenState theScreenState;

inline ScreenState& screenState() {
    return theScreenState;
}

// Resets the text view to all rows and the cursor to row 1, column 1.
void resetTextView(ScreenState& state, const Screen& screen);

}  // namespace gfx::detail

namespace gfx::detail {

// Gives the window the program's file name unless a title was set already.
void ensureDefaultTitle();

}  // namespace gfx::detail
