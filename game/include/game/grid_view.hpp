#pragma once
// The letter grid on screen and the two-click selection that finds words.

#include <cstdint>

#include "game/model.hpp"
#include "widgets/panel.hpp"

namespace game {

inline constexpr std::int32_t CellSize = 30;
// Right and bottom edge of the grid's last cell outline.
inline constexpr std::int32_t GridExtent = GridSize * CellSize;

// 1 when both components are equal, else 0.
std::int32_t sameCell(const CellPair& a, const CellPair& b);

// Draws all cells onto the screen; the caller holds the screen lock.
void drawGrid(const Puzzle& puzzle);

// One left click at screen position (x, y): makes a cell pending, or completes
// a pair that may find a word and strike its hint label (id word index + 1).
void clickGrid(Puzzle& puzzle, widgets::WidgetPanel& panel, std::int32_t x, std::int32_t y);

}  // namespace game
