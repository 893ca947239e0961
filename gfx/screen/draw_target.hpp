#pragma once
// The calling thread's drawing context.

#include <cstdint>
#include <vector>

#include "gfx/color.hpp"
#include "gfx/screen.hpp"
#include "runtime/last_error.hpp"

namespace gfx {

struct ImageBuffer;
struct DrawTarget;
struct DrawPrimitives;
struct Screen;

using PutPixelFn = void (*)(DrawTarget& context, std::int32_t x, std::int32_t y, Color color);
using GetPixelFn = Color (*)(const DrawTarget& context, std::int32_t x, std::int32_t y);
using FillSpanFn = void (*)(std::uint8_t* first, Color color, std::int32_t count);

struct ClipRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

struct PenPosition {
    float x = 0.0f;
    float y = 0.0f;
};

struct DrawTarget {
    std::int32_t screenId = 0;
    std::int32_t workPage = 0;
    std::vector<std::uint8_t*> rowTable;  // first byte of every row of the current target
    std::int32_t rowCapacity = 0;
    std::int32_t bytesPerPixel = 0;
    std::int32_t pitch = 0;
    ImageBuffer* target = nullptr;  // nullptr: the screen
    PenPosition penPosition;
    ClipRect clipRect;
    ClipRect savedClipRect;  // the screen's, kept while an image is the target
    Color foreColor = 0;
    Color backColor = 0;
    PutPixelFn putPixel = nullptr;
    GetPixelFn getPixel = nullptr;
    FillSpanFn fillSpan = nullptr;
    // Where the drawing operations hand their shapes (gfx/drawing/draw_primitives.hpp).
    const DrawPrimitives* primitives = nullptr;
    bool isImage = false;
};

// The calling thread's context, reset first when a new screen was opened since
// it was last set up. Without an open screen it is returned as it is. It is
// handed out for writing, so the pages count as written (notePagesWritten).
// While the program holds the lock the drawing calls' shapes may reach the
// pages only at the outer unlockScreen: pixels stored or read through the
// context's own routines or rowTable are in order with them outside the lock.
DrawTarget& drawTarget();

namespace detail {
// drawTarget for the runtime's own drawing calls, which record.
DrawTarget& threadTarget();
}  // namespace detail

// Sets the context up afresh for `screen`: page 0, the whole screen as clip
// rectangle, the screen's default colours and pixel routines. False, with the
// context left unset, when its row table cannot be allocated.
bool resetDrawTarget(DrawTarget& context, const Screen& screen);

// Points the context at `target` (nullptr: the screen). Ok, or BadCall when
// the screen is wanted but none is open or the image is unusable, NoMemory
// when the row table cannot be allocated; the context then stays as it was.
runtime::ResultCode selectOtherTarget(DrawTarget& context, ImageBuffer* target);
// Inline for the call after call that draws on the screen again.
inline runtime::ResultCode selectTarget(DrawTarget& context, ImageBuffer* target) {
    if (target != nullptr || context.isImage || context.primitives == nullptr) {
        return selectOtherTarget(context, target);
    }
    const Screen* screen = activeScreen();
    return screen != nullptr && !screen->pages.empty() ? runtime::ResultCode::Ok
                                                       : runtime::ResultCode::BadCall;
}

// Plain pixel routines for 1, 2 and 4 bytes per pixel.
PutPixelFn putPixelFor(std::int32_t bytesPerPixel);
GetPixelFn getPixelFor(std::int32_t bytesPerPixel);
FillSpanFn fillSpanFor(std::int32_t bytesPerPixel);

// True when putPixel and fillSpan are the plain routines for the target's
// depth, so a loop may write pixels through rowTable itself instead of
// calling them, and a one-pixel-wide fill stores what putPixel would.
bool storesPlainly(const DrawTarget& context);
// The same for a 32-bit target; asked for every shape a frame records.
bool storesPlainly32(const DrawTarget& context);

// True when the context's current target's first row is the first pixel of
// the screen's visible page, so drawing into it must mark dirtyRows.
bool drawsVisiblePage(const DrawTarget& context);
// Sets dirtyRows[first..last] (clamped to the screen) when drawsVisiblePage.
void markRows(const DrawTarget& context, std::int32_t first, std::int32_t last);

}  // namespace gfx
