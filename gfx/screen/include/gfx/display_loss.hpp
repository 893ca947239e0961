#pragma once
// The display that shows the screen can go away for good while the game runs
// (the X server ends). The back end records it and asks the program to close;
// the program then ends with a message instead of drawing into nothing.

#include <string>

namespace gfx {

// Keeps the first reason, a single line without its end, and makes the next
// readKey return the close request.
void reportDisplayLost(const std::string& reason);

bool displayLost();
// Empty while the display serves.
std::string displayLossReason();

}  // namespace gfx
