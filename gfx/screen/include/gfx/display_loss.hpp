#pragma once
// The display that shows the screen can go away for good while the game runs
// (the X server ends). The back end records it and asks the program to close;
// the program then ends with a message instead of drawing into nothing.

#include <string>
#include <string_view>

namespace gfx {

// Keeps the first reason, `what` followed by `detail`, as a single line of at
// most 255 bytes, and makes the next readKey return the close request. Safe
// where nothing may allocate: the back end reports from the window thread as
// the connection breaks.
void reportDisplayLost(std::string_view what, std::string_view detail = {});

bool displayLost();
// Empty while the display serves.
std::string displayLossReason();

}  // namespace gfx
