#include "gfx/drivers/row_diff.hpp"

#include <cstring>

namespace gfx {

void findChangedRows(RowSpan frame, RowSpan shown, std::size_t rowBytes, const std::uint8_t* dirty,
                     std::int32_t rowCount, std::vector<RowRun>& runs) {
    runs.clear();
    for (std::int32_t row = 0; row < rowCount; ++row) {
        if (dirty[row] == 0) continue;
        const std::uint8_t* now = frame.first + row * frame.pitch;
        const std::uint8_t* before = shown.first + row * shown.pitch;
        if (std::memcmp(now, before, rowBytes) == 0) continue;
        if (!runs.empty() && runs.back().first + runs.back().count == row) {
            ++runs.back().count;
        } else {
            runs.push_back(RowRun{row, 1});
        }
    }
}

}  // namespace gfx
