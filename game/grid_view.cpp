#include "game/grid_view.hpp"

#include <string_view>

#include "gfx/color.hpp"
#include "gfx/line.hpp"
#include "gfx/text.hpp"

namespace game {
namespace {

constexpr std::uint32_t SolidStyle = 0xFFFF;
constexpr std::uint32_t AbsoluteExplicitColor = 4;
constexpr std::int32_t LetterInset = 13;

GridCell& cellAt(LetterGrid& grid, const CellPair& rowColumn) {
    return grid[static_cast<std::size_t>(rowColumn.a)][static_cast<std::size_t>(rowColumn.b)];
}

void markFound(LetterGrid& grid, const PuzzleWord& word) {
    // Words only run left to right or top to bottom, so first <= last on both axes.
    for (std::int32_t row = word.first.a; row <= word.last.a; ++row) {
        for (std::int32_t column = word.first.b; column <= word.last.b; ++column) {
            GridCell& target = cellAt(grid, CellPair{row, column});
            target.highlight = HighlightGreen;
            target.inFoundWord = 1;
        }
    }
}

void findWordBetween(Puzzle& puzzle, widgets::WidgetPanel& panel, const CellPair& one,
                     const CellPair& other) {
    for (std::int32_t i = 0; i < PuzzleWordCount; ++i) {
        PuzzleWord& word = puzzle.words[static_cast<std::size_t>(i)];
        if (word.found == 1) continue;
        const bool forwards = sameCell(word.first, one) == 1 && sameCell(word.last, other) == 1;
        const bool backwards = sameCell(word.first, other) == 1 && sameCell(word.last, one) == 1;
        if (!forwards && !backwards) continue;
        word.found = 1;
        widgets::updateLabel(panel, i + 1, widgets::KeepNumber, widgets::KeepNumber,
                             widgets::KeepNumber, 1, widgets::KeepText);
        markFound(puzzle.grid, word);
        return;
    }
}

}  // namespace

std::int32_t sameCell(const CellPair& a, const CellPair& b) {
    return a == b ? 1 : 0;
}

void drawGrid(const Puzzle& puzzle) {
    for (std::int32_t column = 0; column < GridSize; ++column) {
        for (std::int32_t row = 0; row < GridSize; ++row) {
            const GridCell& cell =
                puzzle.grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
            const float x = static_cast<float>(CellSize * column);
            const float y = static_cast<float>(CellSize * row);
            gfx::drawLine(nullptr, x, y, x + CellSize, y + CellSize, gfx::Black, gfx::Box,
                          SolidStyle, 0);
            if (cell.highlight == HighlightGreen) {
                gfx::drawLine(nullptr, x + 1, y + 1, x + CellSize - 1, y + CellSize - 1, gfx::Green,
                              gfx::FilledBox, SolidStyle, 0);
            }
            // The letter is drawn as exactly one byte, whatever the cell holds.
            const std::string_view letter = cell.letter.empty()
                                                ? std::string_view()
                                                : std::string_view(cell.letter).substr(0, 1);
            gfx::drawText(nullptr, x + LetterInset, y + LetterInset, AbsoluteExplicitColor, letter,
                          gfx::Black);
        }
    }
}

void clickGrid(Puzzle& puzzle, widgets::WidgetPanel& panel, std::int32_t x, std::int32_t y) {
    if (x < 0 || y < 0 || x >= GridExtent || y >= GridExtent) return;
    const std::int32_t row = y / CellSize;
    const std::int32_t column = x / CellSize;
    Selection& selection = puzzle.selection;

    // A selection is pending when neither component is -1.
    if (selection.a == -1 || selection.b == -1) {
        selection = Selection{column, row};
        cellAt(puzzle.grid, CellPair{row, column}).highlight = HighlightGreen;
        return;
    }
    if (sameCell(selection, Selection{column, row}) == 1) return;

    const CellPair pendingCell{selection.b, selection.a};
    const CellPair clickedCell{row, column};
    GridCell& first = cellAt(puzzle.grid, pendingCell);
    if (first.inFoundWord == 0) first.highlight = 0;
    if (pendingCell.a == clickedCell.a || pendingCell.b == clickedCell.b) {
        findWordBetween(puzzle, panel, pendingCell, clickedCell);
    }
    selection = Selection{-1, -1};
}

}  // namespace game
