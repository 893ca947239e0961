#pragma once
// What a test does to a window from its own connection: read a pixel, press
// a key, ask the window to close.

#include <X11/Xlib.h>

#include <cstdint>

namespace lettermoor::testing {

// 0xRRGGBB of the window's pixel, or 0xFFFFFFFF when it cannot be read
// (not yet shown).
std::uint32_t windowPixel(Display* display, Window window, int x, int y);

// True when every channel of the two 0xRRGGBB colours differs by at most
// tolerance.
bool nearColour(std::uint32_t actual, std::uint32_t expected, int tolerance = 2);

// Presses and releases the key with that keysym through XTest.
void tapKey(Display* display, unsigned long keysym);

// Sends WM_DELETE_WINDOW, as a window manager's close box does.
void requestWindowClose(Display* display, Window window);

// True once the window has the input focus (bounded wait).
bool waitForFocus(Display* display, Window window);

}  // namespace lettermoor::testing
