#pragma once
// Polled keyboard and mouse input.

#include <cstdint>
#include <string>

namespace gfx {

// 1-255: a code page 437 character; (c << 8) | 0xFF: an extended key.
using KeyCode = std::int32_t;
inline constexpr KeyCode CloseRequest = 0x6BFF;

// One key as text: empty, one byte, or 0xFF followed by the extended code.
std::string readKey();

// 0 with the mouse state, or 1 with every output set to -1. wheel, buttons
// and clipped may be nullptr.
std::int32_t readMouse(std::int32_t* x, std::int32_t* y, std::int32_t* wheel, std::int32_t* buttons,
                       std::int32_t* clipped);

// For the back ends, on the window thread while it holds the driver lock.
void postKey(KeyCode code);
// Appends to the screen's event queue; a full queue drops its oldest record.
void postEvent(std::int32_t type, std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d);

// Async-signal-safe: the next readKey returns the close request.
void requestClose();

// The key reader readKey falls back to while no screen is open; nullptr (the
// default) makes readKey return the empty text then.
void setConsoleKeyReader(std::string (*reader)());

}  // namespace gfx
