#include "gfx/drivers/canvas_driver.hpp"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>
#include <wasm_simd128.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gfx/drivers/canvas_keys.hpp"
#include "gfx/drivers/window_common.hpp"
#include "gfx/input.hpp"
#include "gfx/screen.hpp"
#include "runtime/cp437.hpp"

namespace gfx {
namespace {

constexpr const char* CanvasSelector = "#canvas";

// The page's canvas and its 2D context are kept on the module object. Every
// row goes to the canvas after an open, so one of the right size is not
// cleared by a resize first.
EM_JS(int, canvasOpen, (int width, int height), {
    const canvas = Module['canvas'];
    if (!canvas || !canvas.getContext) return -1;
    if (canvas.width != width) canvas.width = width;
    if (canvas.height != height) canvas.height = height;
    Module['canvasContext'] = canvas.getContext('2d', {alpha : false});
    return Module['canvasContext'] ? 0 : -1;
});

// The browser shows the canvas only once the running script returns, so the
// frames finished meanwhile go to it together, as the desktop back ends'
// window thread takes the latest frame when it comes round.
EM_JS(void, canvasPresentSoon, (),
      { queueMicrotask(function() { Module['_lettermoor_canvas_present'](); }); });

EM_JS(void, canvasPutRows, (const void* rgba, int width, int top, int rows), {
    const bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * rows * 4);
    Module['canvasContext'].putImageData(new ImageData(bytes, width, rows), 0, top);
});

EM_JS(void, canvasSetTitle, (const char* utf8), { document.title = UTF8ToString(utf8); });

struct FreeBytes {
    void operator()(std::uint8_t* bytes) const { std::free(bytes); }
};
using Bytes = std::unique_ptr<std::uint8_t[], FreeBytes>;

struct CanvasState {
    bool open = false;
    bool presentQueued = false;
    std::int32_t width = 0;
    std::int32_t height = 0;
    // What the canvas shows, as it takes it (R, G, B, A), to find the rows that
    // really changed. A row is compared only once it was sent: `rowSent` says
    // which were.
    Bytes shownRgba;
    Bytes rowSent;
    MouseState mouse;
};

CanvasState& state() {
    static CanvasState s;
    return s;
}

// The frame buffer's B, G, R, A as the canvas's R, G, B and an opaque A (the
// display ignores alpha).
inline v128_t rgbaOf(v128_t bgra) {
    const v128_t opaque = wasm_i32x4_splat(static_cast<std::int32_t>(0xFF000000u));
    return wasm_v128_or(
        wasm_i8x16_shuffle(bgra, bgra, 2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15),
        opaque);
}

inline std::uint32_t rgbaOf(const std::uint8_t* bgra) {
    return bgra[2] | (bgra[1] << 8) | (bgra[0] << 16) | 0xFF000000u;
}

// Converts one row of `pixels` into `rgba`, four pixels at a time (the first
// frame converts every row while the code still runs in the browser's quick
// first compile). With `compare`, `rgba` holds what the canvas shows and the
// result says whether the row differs from it; without, the row counts as
// changed.
bool convertRow(const std::uint8_t* bgra, std::uint8_t* rgba, std::int32_t pixels, bool compare) {
    v128_t differs = wasm_i32x4_splat(0);
    for (; pixels >= 4; pixels -= 4, bgra += 16, rgba += 16) {
        const v128_t converted = rgbaOf(wasm_v128_load(bgra));
        if (compare)
            differs = wasm_v128_or(differs, wasm_v128_xor(converted, wasm_v128_load(rgba)));
        wasm_v128_store(rgba, converted);
    }
    bool changed = !compare || wasm_v128_any_true(differs);
    for (; pixels > 0; --pixels, bgra += 4, rgba += 4) {
        const std::uint32_t converted = rgbaOf(bgra);
        std::uint32_t shown = 0;
        std::memcpy(&shown, rgba, 4);
        changed = changed || shown != converted;
        std::memcpy(rgba, &converted, 4);
    }
    return changed;
}

// Every marked row that differs from what the canvas shows goes to the canvas,
// consecutive rows in one transfer; then no row is marked.
void presentChangedRows() {
    CanvasState& s = state();
    Screen* screen = activeScreen();
    if (!s.open || screen == nullptr || screen->visiblePixels == nullptr) return;
    const std::size_t rowBytes = static_cast<std::size_t>(s.width) * 4;
    std::int32_t runStart = -1;
    auto flush = [&](std::int32_t end) {
        if (runStart < 0) return;
        canvasPutRows(s.shownRgba.get() + runStart * rowBytes, s.width, runStart, end - runStart);
        runStart = -1;
    };
    for (std::int32_t row = 0; row < s.height; ++row) {
        const std::uint8_t* now =
            screen->visiblePixels + static_cast<std::ptrdiff_t>(row) * screen->pitch;
        std::uint8_t& sent = s.rowSent[static_cast<std::size_t>(row)];
        if (screen->dirtyRows[static_cast<std::size_t>(row)] == 0 ||
            !convertRow(now, s.shownRgba.get() + row * rowBytes, s.width, sent != 0)) {
            flush(row);
            continue;
        }
        sent = 1;
        if (runStart < 0) runStart = row;
    }
    flush(s.height);
    std::fill(screen->dirtyRows.begin(), screen->dirtyRows.end(), std::uint8_t{0});
}

// A CSS-scaled canvas reports event positions in page pixels; the game counts
// frame-buffer pixels.
void placePointer(const EmscriptenMouseEvent& event) {
    CanvasState& s = state();
    double cssWidth = 0;
    double cssHeight = 0;
    emscripten_get_element_css_size(CanvasSelector, &cssWidth, &cssHeight);
    if (cssWidth <= 0 || cssHeight <= 0) return;
    const auto x = static_cast<std::int32_t>(event.targetX * s.width / cssWidth);
    const auto y = static_cast<std::int32_t>(event.targetY * s.height / cssHeight);
    s.mouse.inside = x >= 0 && y >= 0 && x < s.width && y < s.height;
    if (!s.mouse.inside) return;
    s.mouse.x = x;
    s.mouse.y = y;
}

std::int32_t buttonFlag(unsigned short button) {
    // DOM order: main, middle, secondary, back, forward.
    constexpr std::int32_t flags[] = {1, 4, 2, 8, 16};
    return button < 5 ? flags[button] : 0;
}

EM_BOOL onMouse(int type, const EmscriptenMouseEvent* event, void*) {
    MouseState& mouse = state().mouse;
    if (type == EMSCRIPTEN_EVENT_MOUSELEAVE) {
        mouse.inside = false;
        return EM_FALSE;
    }
    // The release is heard on the whole window, whose positions are not the canvas's.
    if (type != EMSCRIPTEN_EVENT_MOUSEUP) placePointer(*event);
    const std::int32_t flag = buttonFlag(event->button);
    if (type == EMSCRIPTEN_EVENT_MOUSEDOWN && mouse.inside) {
        mouse.buttons |= flag;
        mouse.pressedSinceRead |= flag;
        postEvent(EventButtonPress, mouse.x, mouse.y, flag, 0);
    } else if (type == EMSCRIPTEN_EVENT_MOUSEUP && (mouse.buttons & flag) != 0) {
        mouse.buttons &= ~flag;
        postEvent(EventButtonRelease, mouse.x, mouse.y, flag, 0);
    } else if (type == EMSCRIPTEN_EVENT_MOUSEMOVE && mouse.inside) {
        postEvent(EventMouseMove, mouse.x, mouse.y, mouse.buttons, 0);
    }
    // The canvas keeps its clicks, so no text selection starts on it.
    return type == EMSCRIPTEN_EVENT_MOUSEDOWN ? EM_TRUE : EM_FALSE;
}

EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
    const std::vector<std::int32_t> codes =
        canvas::keyDownPosts({event->code, event->key, event->shiftKey != 0, event->ctrlKey != 0,
                              event->altKey != 0, event->metaKey != 0});
    for (const std::int32_t code : codes) postKey(code);
    if (!codes.empty())
        postEvent(event->repeat ? EventKeyRepeat : EventKeyPress, codes.front(), 0, 0, 0);
    // Keys the game took stay out of the page (Tab, arrows, Backspace); Ctrl
    // with a letter stays the browser's shortcut as well (reload, find, copy).
    const bool shortcut =
        event->ctrlKey != 0 && event->altKey == 0 && std::strncmp(event->code, "Key", 3) == 0;
    return codes.empty() || shortcut ? EM_FALSE : EM_TRUE;
}

EM_BOOL onFocus(int type, const EmscriptenFocusEvent*, void*) {
    CanvasState& s = state();
    s.mouse.active = type == EMSCRIPTEN_EVENT_FOCUS;
    s.mouse.buttons = 0;
    s.mouse.pressedSinceRead = 0;
    if (Screen* screen = activeScreen(); screen != nullptr) {
        std::fill(screen->dirtyRows.begin(), screen->dirtyRows.end(), std::uint8_t{1});
    }
    postEvent(s.mouse.active ? EventFocusGained : EventFocusLost, 0, 0, 0, 0);
    return EM_FALSE;
}

void listen(bool on) {
    const auto mouse = on ? onMouse : nullptr;
    emscripten_set_mousedown_callback(CanvasSelector, nullptr, EM_FALSE, mouse);
    emscripten_set_mousemove_callback(CanvasSelector, nullptr, EM_FALSE, mouse);
    emscripten_set_mouseleave_callback(CanvasSelector, nullptr, EM_FALSE, mouse);
    // A button let go outside the canvas is still let go.
    emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, mouse);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE,
                                    on ? onKeyDown : nullptr);
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE,
                                  on ? onFocus : nullptr);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE,
                                 on ? onFocus : nullptr);
}

void canvasTitle(const char* title) {
    canvasSetTitle(runtime::cp437ToUtf8(title).c_str());
}

int canvasInit(const char* title, std::int32_t width, std::int32_t height, std::int32_t depth,
               std::int32_t, std::int32_t flags) {
    // A 2D canvas shows 32-bit pixels in a window of the page; nothing else.
    if (depth != 32 || (flags & (OpenGLScreen | FullScreen)) != 0) return -1;
    if (canvasOpen(width, height) != 0) return -1;
    CanvasState& s = state();
    s.width = width;
    s.height = height;
    // The canvas copy is written before it is read: filling megabytes at
    // start-up would run in the browser's slowest code tier, before the
    // first frame. Without memory for it the open fails.
    s.shownRgba.reset(static_cast<std::uint8_t*>(std::malloc(std::size_t{4} * width * height)));
    s.rowSent.reset(static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(height), 1)));
    if (!s.shownRgba || !s.rowSent) return -1;
    s.mouse = MouseState{};
    s.mouse.active = true;
    s.open = true;
    listen(true);
    canvasTitle(title);
    return 0;
}

void canvasExit() {
    CanvasState& s = state();
    if (!s.open) return;
    // The last frame stays on the page.
    if (s.presentQueued) presentChangedRows();
    listen(false);
    s.open = false;
    s.shownRgba.reset();
    s.rowSent.reset();
}

// The outer unlock: the frame is complete and goes to the canvas before the
// browser next shows the page.
void canvasUnlock() {
    CanvasState& s = state();
    if (!s.open || s.presentQueued) return;
    s.presentQueued = true;
    canvasPresentSoon();
}

int canvasGetMouse(std::int32_t* x, std::int32_t* y, std::int32_t* wheel, std::int32_t* buttons,
                   std::int32_t* clipped) {
    return takeMouse(state().mouse, x, y, wheel, buttons, clipped);
}

}  // namespace

// Drawing that holds the lock still goes on; its outer unlock asks again.
extern "C" EMSCRIPTEN_KEEPALIVE void lettermoor_canvas_present() {
    CanvasState& s = state();
    s.presentQueued = false;
    const Screen* screen = activeScreen();
    if (screen == nullptr || screen->lockCount > 0) return;
    presentChangedRows();
}

const DisplayDriver& canvasDriver() {
    static const DisplayDriver driver{.name = "Canvas",
                                      .init = canvasInit,
                                      .exit = canvasExit,
                                      .unlock = canvasUnlock,
                                      .getMouse = canvasGetMouse,
                                      .setTitle = canvasTitle};
    return driver;
}

}  // namespace gfx
