// Drawing under an outer lock is recorded and carried out band by band at the
// outer unlock. These tests play random frames twice, once recorded and once
// drawn at once, and hold both to the same pages and the same marked rows.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/blit.hpp"
#include "gfx/font.hpp"
#include "gfx/image.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/deferred_drawing.hpp"
#include "gfx/screen/draw_target.hpp"
#include "gfx/text.hpp"
#include "tests/gfx/screen_pixels.hpp"

namespace {

using namespace gfx;

// Tall enough for several bands, and neither size a multiple of a band or
// of a glyph, so shapes straddle every kind of edge.
constexpr std::int32_t Width = 203;
constexpr std::int32_t Height = 157;
constexpr Color Red = 0xFFFF0000u, Blue = 0xFF0000FFu;

struct Snapshot {
    std::vector<std::uint8_t> page;
    std::vector<std::uint8_t> dirty;
};

// Reads the pages as the window thread does, without carrying out the record.
Snapshot snapshot() {
    const Screen& screen = *activeScreen();
    const auto bytes = static_cast<std::size_t>(screen.pitch) * screen.height;
    return {std::vector<std::uint8_t>(screen.pages[0], screen.pages[0] + bytes), screen.dirtyRows};
}

Color randomColor(std::mt19937& random) {
    return static_cast<Color>(random()) | 0xFF000000u;
}

// A quarter of the coordinates lie on or next to the screen's edges, where
// a shape is clipped by a pixel or just not.
float coordinate(std::mt19937& random, std::int32_t extent) {
    if (random() % 4 == 0) {
        const std::int32_t edges[] = {-1, 0, 1, extent - 2, extent - 1, extent};
        return static_cast<float>(edges[random() % std::size(edges)]);
    }
    return static_cast<float>(
        std::uniform_int_distribution<std::int32_t>(-20, extent + 20)(random));
}

// One random frame: clears, fills, outlines, lines of every kind, text that
// runs off every side, clip rectangles that reach past the screen, blits
// and nested locks, with the program's outer lock held throughout.
void drawFrame(std::uint32_t seed, const ImageBuffer* picture) {
    const std::int32_t width = activeScreen()->width;
    std::mt19937 random(seed);
    auto pick = [&](std::int32_t n) {
        return std::uniform_int_distribution<std::int32_t>(0, n - 1)(random);
    };
    ClipRect clip{0, 0, width, Height};
    lockScreen();
    for (int step = 0; step < 160; ++step) {
        const Color color = randomColor(random);
        const float x1 = coordinate(random, width), y1 = coordinate(random, Height);
        const float x2 = coordinate(random, width), y2 = coordinate(random, Height);
        const std::uint32_t style =
            pick(4) == 0 ? static_cast<std::uint32_t>(random()) & 0xFFFFu : 0xFFFFu;
        switch (pick(12)) {
            case 0:
                clearScreen(pick(2) == 0 ? ClearDefault : ClearClip);
                break;
            case 1:
                drawLine(nullptr, 0, 0, width, Height, color, FilledBox, 0xFFFF, 0);
                break;
            case 2:
            case 3:
                drawLine(nullptr, x1, y1, x2, y2, color, FilledBox, style, 0);
                break;
            case 4:
            case 5:
                drawLine(nullptr, x1, y1, x2, y2, color, Box, style, 0);
                break;
            case 6:
                drawLine(nullptr, x1, y1, pick(2) == 0 ? x1 : x2, pick(2) == 0 ? y1 : y2, color,
                         Line, style, 0);
                break;
            case 7:
            case 8: {
                std::string text(static_cast<std::size_t>(1 + pick(30)), ' ');
                for (char& c : text) c = static_cast<char>(random());
                // Now and then the text ends on, or a pixel past, the last
                // column or row of the clip rectangle.
                const auto length = static_cast<std::int32_t>(text.size());
                const std::int32_t right = std::min(clip.x + clip.width, width);
                const std::int32_t bottom = std::min(clip.y + clip.height, Height);
                const float x =
                    pick(4) == 0 ? static_cast<float>(right - 8 * length + pick(3) - 1) : x1;
                const float y = pick(4) == 0 ? static_cast<float>(bottom - 8 + pick(3) - 1) : y1;
                drawText(nullptr, x - static_cast<float>(clip.x), y - static_cast<float>(clip.y), 0,
                         text, color);
                break;
            }
            case 9:
                clip = pick(3) == 0 ? ClipRect{0, 0, width, Height}
                                    : ClipRect{pick(width) - 10, pick(Height) - 10,
                                               pick(width + 20), pick(Height + 20)};
                drawTarget().clipRect = clip;
                break;
            case 10:
                putImage(nullptr, x1, y1, picture, WholeImage, 0, 0, 0, 0, 0, putTransparent, 0,
                         nullptr, nullptr);
                break;
            default:
                // A nested lock and, now and then, an outer unlock mid-frame.
                lockScreen();
                drawLine(nullptr, x1, y1, x2, y1, color, Line, 0xFFFF, 0);
                unlockScreen(1, 0);
                if (pick(4) == 0) {
                    unlockScreen(1, 0);
                    lockScreen();
                }
                break;
        }
    }
    drawTarget().clipRect = ClipRect{0, 0, width, Height};
    // Every other frame leaves the marks to the shapes themselves.
    const bool marksAll = seed % 2 == 0;
    unlockScreen(marksAll ? -1 : 1, marksAll ? -1 : 0);
}

// The pixel at x, y of an image, for writing it by hand.
std::uint32_t* imagePixel(ImageBuffer& image, std::int32_t x, std::int32_t y) {
    return reinterpret_cast<std::uint32_t*>(imageRow(&image, y)) + x;
}

class DeferredDrawingTest : public gfxtest::NullScreenTest<Width, Height> {
  protected:
    void SetUp() override {
        NullScreenTest::SetUp();
        picture.reset(createImage(37, 29, 0, 0, NoColorGiven));
        ASSERT_NE(picture, nullptr);
        std::mt19937 random(7);
        for (std::int32_t i = 0; i < picture->width * picture->height; ++i) {
            const std::int32_t x = i % picture->width, y = i / picture->width;
            *imagePixel(*picture, x, y) = (x + y) % 3 == 0 ? MaskColor : randomColor(random);
        }
    }
    void TearDown() override {
        detail::setRecordingAllowed(true);
        picture.reset();
        NullScreenTest::TearDown();
    }
    Snapshot play(std::uint32_t seed, bool recorded) {
        detail::setRecordingAllowed(recorded);
        drawLine(nullptr, 0, 0, static_cast<float>(activeScreen()->width), Height, 0xFF102030u,
                 FilledBox, 0xFFFF, 0);
        gfxtest::clearDirtyRows();
        drawFrame(seed, picture.get());
        return snapshot();
    }

    ImageHandle picture;
};

// Whatever `draw` does ends in the same pages drawn at once and recorded.
template <typename Draw>
void expectSameBothWays(Draw draw) {
    detail::setRecordingAllowed(false);
    const auto direct = draw();
    detail::setRecordingAllowed(true);
    const auto recorded = draw();
    EXPECT_TRUE(direct == recorded);
}

// Random frames on a screen whose rows are no whole number of 32-byte
// blocks, on one whose rows are (every fill row starts equally aligned),
// and without room for the band tables (carried out shape by shape; closing
// the screen gave their memory back).
TEST_F(DeferredDrawingTest, RecordedFramesMatchFramesDrawnAtOnce) {
    for (const auto& [width, failAllocations] : {std::pair{Width, 0}, {200, 0}, {Width, 1}}) {
        closeScreen();
        ASSERT_EQ(openScreen(width, Height, 32, 0, 0, 0), 0);
        failNextAllocations(failAllocations != 0 ? std::numeric_limits<int>::max() : 0);
        for (std::uint32_t seed = 1; seed <= 300; ++seed) {
            const Snapshot direct = play(seed, false);
            const Snapshot recorded = play(seed, true);
            const auto pixel =
                (std::ranges::mismatch(direct.page, recorded.page).in1 - direct.page.begin()) / 4;
            ASSERT_TRUE(direct.page == recorded.page && direct.dirty == recorded.dirty)
                << "width " << width << ", seed " << seed << ": first difference at pixel "
                << pixel % width << "," << pixel / width << " or in the marked rows";
        }
    }
}

// A first frame of more shapes than the record holds at once, then frames
// from a small pool, so that many repeat the one before, with the pages
// written some other way now and then in between, and the glyph table
// overwritten before each frame ends: after every frame the pages are as when
// each frame is drawn at once.
TEST_F(DeferredDrawingTest, RepeatedFramesAmongOtherWritesMatchFramesDrawnAtOnce) {
    const std::uint32_t original = *imagePixel(*picture, 2, 3);
    std::vector<std::uint8_t> glyphs(BuiltinFont.begin(), BuiltinFont.end());
    activeScreen()->font.glyphs = glyphs.data();
    expectSameBothWays([&] {
        *imagePixel(*picture, 2, 3) = original;
        gfxtest::fillScreen(Black);
        lockScreen();
        for (int i = 0; i < 70000; ++i) {
            const auto x = static_cast<float>(i % Width),
                       y = static_cast<float>(i / Width % Height);
            drawLine(nullptr, x, y, x + 3, y + 2, 0xFF000000u | static_cast<Color>(i), Box, 0xFFFF,
                     0);
        }
        unlockScreen(-1, -1);
        std::vector<std::vector<std::uint8_t>> after{snapshot().page};
        std::mt19937 random(11);
        for (int frame = 0; frame < 200; ++frame) {
            const auto x = static_cast<float>(random() % Width);
            switch (random() % 10) {
                case 0:
                    gfxtest::fillScreen(Red);
                    break;
                case 1:
                    drawTarget().putPixel(drawTarget(), static_cast<std::int32_t>(x), 20, Red);
                    break;
                case 2:
                    putImage(nullptr, x, 15, picture.get(), WholeImage, 0, 0, 0, 0, 0,
                             putTransparent, 0, nullptr, nullptr);
                    break;
                case 3:
                    drawLine(nullptr, x, 0, x + 40, 30, Red, Line, 0xFFFF, 0);
                    break;
                case 4:
                    drawLine(nullptr, 0, 12, x, 12, Red, Line, 0xF0F0, 0);
                    break;
                case 5:
                    lockScreen();
                    drawLine(nullptr, 0, 12, x, 12, Red, Line, 0xF0F0, 0);
                    unlockScreen(-1, -1);
                    break;
                case 6:
                    *imagePixel(*picture, 2, 3) ^= 0x00FFFFFFu;
                    break;
                default:
                    break;
            }
            // A small frame of the game's kind: a white page, a cell, its fill
            // and letter, mostly a picture on top, now and then written to by
            // hand before the frame ends.
            const std::uint32_t pick = random() % 3, withPicture = random() % 8;
            lockScreen();
            drawLine(nullptr, 0, 0, Width, Height, White, FilledBox, 0xFFFF, 0);
            drawLine(nullptr, 10, 10, 40, 40, Black, Box, 0xFFFF, 0);
            drawLine(nullptr, 11, 11, 39, 39, pick == 1 ? Blue : Green, FilledBox, 0xFFFF, 0);
            drawText(nullptr, 22, 22, 0, pick == 2 ? "B" : "A", Black);
            // The glyphs are taken when the text is drawn, not when it is carried out.
            std::ranges::fill(glyphs, std::uint8_t{0xFF});
            if (withPicture != 0) {
                putImage(nullptr, 60, 50, picture.get(), WholeImage, 0, 0, 0, 0, 0, putTransparent,
                         0, nullptr, nullptr);
                if (withPicture == 1) *imagePixel(*picture, 1, 1) ^= 0x00FFFFFFu;
            }
            unlockScreen(-1, -1);
            std::ranges::copy(BuiltinFont, glyphs.begin());
            after.push_back(snapshot().page);
        }
        return after;
    });
}

// Shapes name their page in one byte; a frame that draws into more pages
// than that starts the names afresh.
TEST_F(DeferredDrawingTest, FramesOverMorePagesThanAShapeCanNameStayExact) {
    closeScreen();
    constexpr std::int32_t Pages = 300;
    ASSERT_EQ(openScreen(16, 16, 32, Pages, 0, 0), 0);
    expectSameBothWays([&] {
        DrawTarget& context = drawTarget();
        lockScreen();
        // Twice round, so later shapes reuse page names given out before.
        for (std::int32_t k = 0; k < 2 * Pages; ++k) {
            // The work page is taken up when the screen becomes the target again.
            context.workPage = k % Pages;
            EXPECT_EQ(selectTarget(context, picture.get()), LoadResult::Ok);
            EXPECT_EQ(selectTarget(context, nullptr), LoadResult::Ok);
            // Every fifth fills its whole page, covering what that page holds
            // but not what the others hold.
            const bool whole = k % 5 == 0;
            const auto at = whole ? 0.0f : static_cast<float>(k % 13);
            drawLine(nullptr, at, 0, whole ? 16.0f : at + 2, 15,
                     0xFF000000u | static_cast<Color>(k * 7919), FilledBox, 0xFFFF, 0);
        }
        unlockScreen(-1, -1);
        const Screen& screen = *activeScreen();
        std::vector<std::uint8_t> pages;
        for (const std::uint8_t* page : screen.pages) {
            pages.insert(pages.end(), page, page + std::ptrdiff_t{screen.pitch} * screen.height);
        }
        return pages;
    });
}

}  // namespace
