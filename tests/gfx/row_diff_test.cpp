#include <cstdint>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/drivers/row_diff.hpp"
#include "gfx/drivers/window_scale.hpp"

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

// The block size of a 1000 by 600 frame: the request, else the desktop's dpi,
// else the largest window that covers about three quarters of the monitor.
TEST(WindowScale, RequestThenDpiThenMonitor) {
    struct Case {
        const char* requested;
        double dpi;
        std::int32_t monitorWidth, monitorHeight;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"2", 0, 1280, 1024, 2},     {"3", 96, 3840, 2160, 3},    {"4", 0, 1280, 1024, 1},
        {"", 192, 1280, 1024, 2},    {"2x", 0, 1280, 1024, 1},    {nullptr, 96, 3840, 2160, 1},
        {nullptr, 191, 0, 0, 1},     {nullptr, 288, 0, 0, 3},     {nullptr, 480, 0, 0, 3},
        {nullptr, 0, 1280, 1024, 1}, {nullptr, 0, 1920, 1080, 1}, {nullptr, 0, 2560, 1440, 1},
        {nullptr, 0, 2560, 1600, 2}, {nullptr, 0, 3840, 2160, 2}, {nullptr, 0, 5120, 2880, 3},
    };
    for (const Case& c : cases) {
        const gfx::ScaleInputs inputs{c.requested,     c.dpi, c.monitorWidth,
                                      c.monitorHeight, 1000,  600};
        EXPECT_EQ(gfx::chooseWindowScale(inputs), c.expected)
            << (c.requested ? c.requested : "-") << " " << c.dpi << " " << c.monitorWidth;
    }
}

// Every window pixel of a block maps back to the block's frame pixel; one
// left of the window stays outside. Rows widen pixel by pixel, any pixel size.
TEST(WindowScale, ClicksMapToBlocksAndRowsWiden) {
    const std::pair<std::int32_t, std::int32_t> windowToFrame[] = {
        {0, 0}, {1, 0}, {2, 1}, {1999, 999}, {-1, -1}, {-2, -1}, {-3, -2}};
    for (auto [window, frame] : windowToFrame)
        EXPECT_EQ(gfx::frameCoordinate(window, 2), frame) << window;
    EXPECT_EQ(gfx::frameCoordinate(7, 1), 7);
    const std::vector<std::uint8_t> row = {1, 2, 3, 4, 5, 6};
    std::vector<std::uint8_t> wide(12, 0);
    gfx::widenRow(row.data(), wide.data(), 2, 3, 2);
    EXPECT_EQ(wide, (std::vector<std::uint8_t>{1, 2, 3, 1, 2, 3, 4, 5, 6, 4, 5, 6}));
    gfx::widenRow(row.data(), wide.data(), 3, 2, 1);
    EXPECT_EQ(std::vector<std::uint8_t>(wide.begin(), wide.begin() + 6), row);
}

}  // namespace
