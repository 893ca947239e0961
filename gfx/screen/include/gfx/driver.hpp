#pragma once
// A display back end: a named record of operation slots. A slot left empty
// (nullptr) is skipped by every caller.

#include <cstdint>
#include <vector>

namespace gfx {

struct DisplayDriver {
    const char* name = "";
    // Creates the window and starts presenting; 0 accepts the screen.
    int (*init)(const char* title, std::int32_t width, std::int32_t height, std::int32_t depth,
                std::int32_t refresh, std::int32_t flags) = nullptr;
    // Undoes init, also after a failed init.
    void (*exit)() = nullptr;
    // The frame-buffer lock shared with the presenting thread.
    void (*lock)() = nullptr;
    void (*unlock)() = nullptr;
    void (*setPalette)(std::int32_t index, std::int32_t red, std::int32_t green,
                       std::int32_t blue) = nullptr;
    void (*waitVsync)() = nullptr;
    // 0 and the state, or nonzero when the mouse is not available.
    int (*getMouse)(std::int32_t* x, std::int32_t* y, std::int32_t* wheel, std::int32_t* buttons,
                    std::int32_t* clipped) = nullptr;
    void (*setMouse)(std::int32_t x, std::int32_t y, std::int32_t cursorVisible,
                     std::int32_t clip) = nullptr;
    void (*setTitle)(const char* title) = nullptr;
    std::int32_t (*setWindowPos)(std::int32_t x, std::int32_t y) = nullptr;
    // Display modes as (width << 16) | height.
    std::vector<std::uint32_t> (*fetchModes)(std::int32_t depth) = nullptr;
    void (*flip)() = nullptr;
    void (*pollEvents)() = nullptr;
};

// The driver that shows nothing: the screen exists without a window.
const DisplayDriver& nullDriver();

}  // namespace gfx
