#pragma once
// Which marked rows of a frame really differ from what the window shows, so
// a presentation pass sends only those. Knows nothing of X11.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gfx {

// Rows of pixels: row r starts at first + r * pitch and has rowBytes bytes.
struct RowSpan {
    const std::uint8_t* first = nullptr;
    std::ptrdiff_t pitch = 0;
};

// Consecutive rows first .. first + count - 1.
struct RowRun {
    std::int32_t first = 0;
    std::int32_t count = 0;
    bool operator==(const RowRun&) const = default;
};

// The rows from the first marked row r < rowCount (dirty[r] != 0) to the
// last; count 0 when none is marked.
RowRun markedSpan(const std::uint8_t* dirty, std::int32_t rowCount);

// Replaces `runs` with the runs of consecutive rows r < rowCount that are
// marked (dirty[r] != 0) and whose rowBytes bytes differ between `frame` and
// `shown`. Unmarked rows are never compared. With room for (rowCount + 1) / 2
// runs reserved, it never allocates.
void findChangedRows(RowSpan frame, RowSpan shown, std::size_t rowBytes, const std::uint8_t* dirty,
                     std::int32_t rowCount, std::vector<RowRun>& runs);

}  // namespace gfx
