#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/drivers/row_diff.hpp"

namespace {

using gfx::findChangedRows;
using gfx::RowRun;
using gfx::RowSpan;

constexpr std::int32_t Rows = 12;
constexpr std::size_t RowBytes = 40;
constexpr std::ptrdiff_t FramePitch = 48;  // the frame's rows may be padded
constexpr std::ptrdiff_t ShownPitch = 40;

struct Frames {
    std::vector<std::uint8_t> frame = std::vector<std::uint8_t>(Rows * FramePitch, 0x11);
    std::vector<std::uint8_t> shown = std::vector<std::uint8_t>(Rows * ShownPitch, 0x11);
    std::vector<std::uint8_t> dirty = std::vector<std::uint8_t>(Rows, 0);

    void change(std::int32_t row, std::size_t byte) { frame[row * FramePitch + byte] ^= 0x80; }
    std::vector<RowRun> runs() {
        std::vector<RowRun> found{RowRun{99, 99}};  // stale content must go
        findChangedRows(RowSpan{frame.data(), FramePitch}, RowSpan{shown.data(), ShownPitch},
                        RowBytes, dirty.data(), Rows, found);
        return found;
    }
};

TEST(RowDiff, MarkedRowsThatAreEqualAreNotSent) {
    Frames f;
    std::fill(f.dirty.begin(), f.dirty.end(), 1);
    EXPECT_TRUE(f.runs().empty());
}

TEST(RowDiff, ChangedMarkedRowsFormRunsOfConsecutiveRows) {
    Frames f;
    std::fill(f.dirty.begin(), f.dirty.end(), 1);
    for (std::int32_t row : {0, 1, 2, 5, 7, 8, 11})
        f.change(row, static_cast<std::size_t>(row) * 3);
    EXPECT_EQ(f.runs(), (std::vector<RowRun>{{0, 3}, {5, 1}, {7, 2}, {11, 1}}));
}

TEST(RowDiff, OnlyTheFirstAndLastBytesOfARowDiffering) {
    Frames f;
    f.dirty[3] = f.dirty[4] = 1;
    f.change(3, 0);
    f.change(4, RowBytes - 1);
    EXPECT_EQ(f.runs(), (std::vector<RowRun>{{3, 2}}));
}

TEST(RowDiff, UnmarkedRowsAreNeitherComparedNorSent) {
    Frames f;
    f.change(2, 5);
    f.change(3, 5);
    f.dirty[3] = 7;  // any non-zero byte marks a row
    EXPECT_EQ(f.runs(), (std::vector<RowRun>{{3, 1}}));
}

TEST(RowDiff, BytesBeyondTheRowAndPaddingAreIgnored) {
    Frames f;
    std::fill(f.dirty.begin(), f.dirty.end(), 1);
    for (std::int32_t row = 0; row < Rows; ++row) f.change(row, RowBytes + 3);
    EXPECT_TRUE(f.runs().empty());
}

}  // namespace
