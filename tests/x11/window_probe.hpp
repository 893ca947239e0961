#pragma once
// What a test does to a window from its own connection.

#include <X11/Xlib.h>

#include <cstdint>
#include <string>

namespace lettermoor::testing {

// 0xRRGGBB of the window's pixel, or 0xFFFFFFFF while it is not shown.
std::uint32_t windowPixel(Display* display, Window window, int x, int y);

// Every channel of the two 0xRRGGBB colours within tolerance.
bool nearColour(std::uint32_t actual, std::uint32_t expected, int tolerance = 2);

// Presses or releases a key through XTest; tapKey does both.
void setKey(Display* display, KeyCode keycode, bool down);
void tapKey(Display* display, unsigned long keysym);

// Sends WM_DELETE_WINDOW, as a window manager's close box does.
void requestWindowClose(Display* display, Window window);

// True once the window has the input focus (bounded wait).
bool waitForFocus(Display* display, Window window);

// "1000x600 at 140,212, fixed, class C, closable, titled T" (", hidden" when unmapped).
std::string windowFacts(Display* display, Window window);

}  // namespace lettermoor::testing
