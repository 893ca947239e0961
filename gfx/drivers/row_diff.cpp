#include "gfx/drivers/row_diff.hpp"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace gfx {

RowRun markedSpan(const std::uint8_t* dirty, std::int32_t rowCount) {
    const auto marked = [](std::uint8_t mark) { return mark != 0; };
    const std::uint8_t* first = std::find_if(dirty, dirty + rowCount, marked);
    if (first == dirty + rowCount) return {};
    const auto last = std::find_if(std::make_reverse_iterator(dirty + rowCount),
                                   std::make_reverse_iterator(first), marked);
    return RowRun{static_cast<std::int32_t>(first - dirty),
                  static_cast<std::int32_t>(last.base() - first)};
}

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
