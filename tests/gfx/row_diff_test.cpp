#include <cstdint>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/drivers/row_diff.hpp"

namespace {

using gfx::RowRun;

// Only marked rows whose bytes differ are sent, as runs of consecutive rows;
// bytes past the row, in the frame's padding, never count.
TEST(RowDiff, MarkedRowsThatDifferFormRuns) {
    constexpr std::int32_t Rows = 12;
    constexpr std::size_t RowBytes = 40;
    constexpr std::ptrdiff_t FramePitch = 48;
    constexpr std::size_t LastByte = RowBytes - 1, Padding = RowBytes + 3;
    using Change = std::pair<std::int32_t, std::size_t>;  // row, byte
    struct Case {
        const char* what;
        std::vector<std::int32_t> marked;  // every row when empty
        std::vector<Change> changes;
        std::vector<RowRun> expected;
    };
    const Case cases[] = {
        {"equal rows", {}, {}, {}},
        {"runs",
         {},
         {{0, 0}, {1, 3}, {2, 6}, {5, 15}, {7, 21}, {8, 24}, {11, 33}},
         {{0, 3}, {5, 1}, {7, 2}, {11, 1}}},
        {"first and last bytes", {3, 4}, {{3, 0}, {4, LastByte}}, {{3, 2}}},
        {"unmarked rows", {3}, {{2, 5}, {3, 5}}, {{3, 1}}},
        {"padding", {}, {{0, Padding}, {6, Padding}, {11, Padding}}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> frame(Rows * FramePitch, 0x11), shown(Rows * RowBytes, 0x11);
        std::vector<std::uint8_t> dirty(Rows, c.marked.empty() ? 1 : 0);
        for (std::int32_t row : c.marked) dirty[row] = 7;  // any non-zero byte marks a row
        for (auto [row, byte] : c.changes) frame[row * FramePitch + byte] ^= 0x80;
        std::vector<RowRun> found{RowRun{99, 99}};  // stale content must go
        gfx::findChangedRows(gfx::RowSpan{frame.data(), FramePitch},
                             gfx::RowSpan{shown.data(), RowBytes}, RowBytes, dirty.data(), Rows,
                             found);
        EXPECT_EQ(found, c.expected) << c.what;
    }
}

}  // namespace
