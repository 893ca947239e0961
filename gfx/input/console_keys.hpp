#pragma once
// Keys from the terminal while no screen is open, so Esc typed there still
// reaches the program.

#include <string>

namespace gfx {

// Installs the terminal reader as readKey's fallback (once).
void installConsoleKeys();

// One key from stdin as key text, without waiting; empty when stdin is not a
// terminal or nothing was typed. Puts the terminal in raw mode on first use
// and restores it at exit.
std::string readConsoleKey();

}  // namespace gfx
