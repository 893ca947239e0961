#pragma once
// The text grids of the screen's pages. Every frame's clear resets a whole
// grid, while only the runtime's text output reads one, so a reset notes the
// blank of each row and the cells are written when the grid is next read.

#include <cstdint>
#include <vector>

#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"

namespace gfx {

// Every cell of rows firstRow to lastRow of the context's work page becomes
// a space in its foreground colour on its background colour.
void resetTextRows(Screen& screen, const DrawTarget& context, std::int32_t firstRow,
                   std::int32_t lastRow);

// The page's grid with every reset written out.
std::vector<TextCell>& textGrid(Screen& screen, std::int32_t page);

}  // namespace gfx
