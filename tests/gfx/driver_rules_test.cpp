// The display back ends' rules as plain functions: which rows to send, the
// window's block size, pixel layouts and the GL configuration chosen.

#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/drivers/pixel_formats.hpp"
#include "gfx/drivers/row_diff.hpp"
#include "gfx/drivers/window_scale.hpp"
#if defined(LETTERMOOR_HAVE_GLX)
#include "gfx/drivers/glx_config.hpp"
#endif

namespace {

using gfx::RowRun;
using gfx::pixel_formats::PixelLayout;

// Only marked rows whose bytes differ are sent, as runs of consecutive rows;
// bytes past the row, in the frame's padding, never count.
TEST(RowDiff, MarkedRowsThatDifferFormRuns) {
    constexpr std::int32_t Height = 12;
    constexpr std::size_t RowBytes = 40;
    constexpr std::ptrdiff_t FramePitch = 48;
    constexpr std::size_t LastByte = RowBytes - 1, Padding = RowBytes + 3;
    using Change = std::pair<std::int32_t, std::size_t>;  // row, byte
    // What, the rows marked (every row when empty), the bytes changed, the runs.
    using Rows = std::vector<std::int32_t>;
    const std::tuple<const char*, Rows, std::vector<Change>, std::vector<RowRun>> cases[] = {
        {"runs",
         {},
         {{0, 0}, {1, 3}, {2, 6}, {5, 15}, {7, 21}, {8, 24}, {11, 33}},
         {{0, 3}, {5, 1}, {7, 2}, {11, 1}}},
        {"first and last bytes, unmarked rows", {3, 4}, {{2, 5}, {3, 0}, {4, LastByte}}, {{3, 2}}},
        {"padding", {}, {{0, Padding}, {6, Padding}, {11, Padding}}, {}},
    };
    for (const auto& [what, marked, changes, expected] : cases) {
        std::vector<std::uint8_t> frame(Height * FramePitch, 0x11), shown(Height * RowBytes, 0x11);
        std::vector<std::uint8_t> dirty(Height, marked.empty() ? 1 : 0);
        for (std::int32_t row : marked) dirty[row] = 7;  // any non-zero byte marks a row
        for (auto [row, byte] : changes) frame[row * FramePitch + byte] ^= 0x80;
        std::vector<RowRun> found{RowRun{99, 99}};  // stale content must go
        gfx::findChangedRows(gfx::RowSpan{frame.data(), FramePitch},
                             gfx::RowSpan{shown.data(), RowBytes}, RowBytes, dirty.data(), Height,
                             found);
        EXPECT_EQ(found, expected) << what;
    }
}

// The block size of a 1000 by 600 frame: the request, else the desktop's dpi,
// else the largest window that covers about three quarters of the monitor.
TEST(WindowScale, RequestThenDpiThenMonitorAndClicksMapToBlocksAndRowsWiden) {
    // The request, the dpi, the monitor's width and height, the block size.
    const std::tuple<const char*, double, std::int32_t, std::int32_t, std::int32_t> cases[] = {
        {"2", 0, 1280, 1024, 2},     {"3", 96, 3840, 2160, 3},    {"4", 0, 1280, 1024, 1},
        {"", 192, 1280, 1024, 2},    {"2x", 0, 1280, 1024, 1},    {nullptr, 96, 3840, 2160, 1},
        {nullptr, 191, 0, 0, 1},     {nullptr, 288, 0, 0, 3},     {nullptr, 480, 0, 0, 3},
        {nullptr, 0, 1280, 1024, 1}, {nullptr, 0, 1920, 1080, 1}, {nullptr, 0, 2560, 1440, 1},
        {nullptr, 0, 2560, 1600, 2}, {nullptr, 0, 3840, 2160, 2}, {nullptr, 0, 5120, 2880, 3},
    };
    for (const auto& [requested, dpi, monitorWidth, monitorHeight, expected] : cases) {
        EXPECT_EQ(gfx::chooseWindowScale({requested, dpi, monitorWidth, monitorHeight, 1000, 600}),
                  expected)
            << (requested ? requested : "-") << " " << dpi << " " << monitorWidth;
    }

    // Every window pixel of a block maps back to the block's frame pixel; one
    // left of the window stays outside. Rows widen pixel by pixel, any pixel size.
    const std::pair<std::int32_t, std::int32_t> clicks[] = {
        {0, 0}, {1, 0}, {2, 1}, {1999, 999}, {-1, -1}, {-2, -1}, {-3, -2}};
    for (auto [window, frame] : clicks) EXPECT_EQ(gfx::frameCoordinate(window, 2), frame) << window;
    EXPECT_EQ(gfx::frameCoordinate(7, 1), 7);
    const std::vector<std::uint8_t> row = {1, 2, 3, 4, 5, 6};
    std::vector<std::uint8_t> wide(12, 0);
    gfx::widenRow(row.data(), wide.data(), 2, 3, 2);
    EXPECT_EQ(wide, (std::vector<std::uint8_t>{1, 2, 3, 1, 2, 3, 4, 5, 6, 4, 5, 6}));
    gfx::widenRow(row.data(), wide.data(), 3, 2, 1);
    EXPECT_EQ(std::vector<std::uint8_t>(wide.begin(), wide.begin() + 6), row);
}

// Two frame pixels, a warm orange with alpha and a dark blue, through every
// layout; 16 bits keep the top bits of each channel, least significant byte
// first. Layouts without a converter have no expected bytes.
TEST(PixelFormats, EveryLayoutConvertsOrIsRefused) {
    const std::uint32_t pixels[2] = {0x80FF8040u, 0xFF102030u};
    const std::tuple<const char*, PixelLayout, std::vector<std::uint8_t>> cases[] = {
        {"32 RGB",
         {32, 0xFF0000, 0x00FF00, 0x0000FF},
         {0x40, 0x80, 0xFF, 0x80, 0x30, 0x20, 0x10, 0xFF}},
        {"32 BGR", {32, 0x0000FF, 0x00FF00, 0xFF0000}, {0xFF, 0x80, 0x40, 0, 0x10, 0x20, 0x30, 0}},
        {"24 RGB", {24, 0xFF0000, 0x00FF00, 0x0000FF}, {0x40, 0x80, 0xFF, 0x30, 0x20, 0x10}},
        {"24 BGR", {24, 0x0000FF, 0x00FF00, 0xFF0000}, {0xFF, 0x80, 0x40, 0x10, 0x20, 0x30}},
        {"565", {16, 0xF800, 0x07E0, 0x001F}, {0x08, 0xFC, 0x06, 0x11}},
        {"555", {16, 0x7C00, 0x03E0, 0x001F}, {0x08, 0x7E, 0x86, 0x08}},
        {"8 bits", {8, 0, 0, 0}, {}},
        {"10-10-10", {32, 0x3FF00000, 0x000FFC00, 0x000003FF}, {}},
        {"565 BGR", {16, 0x001F, 0x07E0, 0xF800}, {}},
    };
    for (const auto& [what, layout, expected] : cases) {
        EXPECT_EQ(gfx::pixel_formats::bytesPerPixel(layout) * 2, static_cast<int>(expected.size()))
            << what;
        const auto converter = gfx::pixel_formats::chooseRowConverter(layout);
        ASSERT_EQ(converter == nullptr, expected.empty()) << what;
        if (converter == nullptr) continue;
        std::vector<std::uint8_t> out(expected.size());
        converter(reinterpret_cast<const std::uint8_t*>(pixels), out.data(), 2);
        EXPECT_EQ(out, expected) << what;
    }
}

#if defined(LETTERMOOR_HAVE_GLX)
using gfx::glx::pickConfig;

TEST(GlxConfigChoice, ExactChannelsThenRootDepthAndNeverTooFewBits) {
    const std::vector<gfx::glx::ConfigTraits> configs = {
        {10, 10, 10, 30}, {8, 8, 8, 32}, {8, 8, 8, 24}, {5, 6, 5, 16}};
    EXPECT_EQ(pickConfig(configs, 32, 24), 2);
    EXPECT_EQ(pickConfig({{10, 10, 10, 24}, {8, 8, 8, 32}}, 32, 24), 1);
    EXPECT_EQ(pickConfig(configs, 16, 24), 3);
    EXPECT_EQ(pickConfig({{4, 4, 4, 12}, {8, 8, 8, 24}}, 16, 24), 1);  // nothing smaller
    EXPECT_EQ(pickConfig({{5, 6, 5, 16}, {4, 4, 4, 12}}, 32, 24), -1);
    EXPECT_EQ(pickConfig({}, 16, 24), -1);
}

#endif

}  // namespace
