#include "gfx/screen/text_grid.hpp"

#include <algorithm>
#include <cstddef>

namespace gfx {

void resetTextRows(Screen& screen, const DrawTarget& context, std::int32_t firstRow,
                   std::int32_t lastRow) {
    auto& rows = screen.textRowBlanks[static_cast<std::size_t>(context.workPage)];
    const std::int32_t first = std::max(firstRow, 0);
    const std::int32_t last = std::min(lastRow, static_cast<std::int32_t>(rows.size()) - 1);
    if (first > last) return;
    std::fill(rows.begin() + first, rows.begin() + last + 1,
              TextCell{' ', context.foreColor, context.backColor});
}

std::vector<TextCell>& textGrid(Screen& screen, std::int32_t page) {
    auto& grid = screen.textGrids[static_cast<std::size_t>(page)];
    auto& rows = screen.textRowBlanks[static_cast<std::size_t>(page)];
    const auto columns = static_cast<std::ptrdiff_t>(screen.textColumns);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (!rows[row]) continue;
        const auto first = grid.begin() + static_cast<std::ptrdiff_t>(row) * columns;
        std::fill(first, first + columns, *rows[row]);
        rows[row].reset();
    }
    return grid;
}

}  // namespace gfx
