#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "gfx/blit.hpp"
#include "gfx/drawing/transparent_rows.hpp"
#include "gfx/image.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"
#include "tests/gfx/image_test_support.hpp"
#include "tests/gfx/recording_driver.hpp"
#include "tests/gfx/screen_pixels.hpp"

namespace {

using namespace gfx;

// A picture whose every pixel names its own position and is opaque.
ImageHandle positionImage(std::int32_t width, std::int32_t height) {
    ImageHandle image(createImage(width, height, 0, 32, 0));
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint32_t v = 0xFF000000u | static_cast<std::uint32_t>(y << 12 | x);
            std::memcpy(imageRow(image.get(), y) + std::ptrdiff_t{4} * x, &v, 4);
        }
    }
    return image;
}

// On the recording back end, so the tests can count the driver's locks.
class BlitTest : public gfxtest::OpenRecordingScreenTest<> {
  protected:
    void blit(const ImageBuffer* image, float x, float y, std::int32_t x1 = WholeImage,
              std::int32_t y1 = 0, std::int32_t x2 = 0, std::int32_t y2 = 0,
              std::int32_t coordKind = 0) {
        putImage(nullptr, x, y, image, x1, y1, x2, y2, coordKind, 0, putTransparent, -1, nullptr,
                 nullptr);
    }
};

// Placement, clipping at the screen's edges, source rectangles and the
// coordinate kinds; the cases run in order since kinds 2 and 3 start from
// the pen the case before left.
TEST_F(BlitTest, PlacesClipsAndCutsTheSourceRectangle) {
    struct Case {
        const char* name = nullptr;
        float x = 0, y = 0;
        std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0, kind = 0;
        std::int32_t left = 0, top = 0, sx = 0, sy = 0, width = 0, height = 0;  // on the screen
        std::int32_t clipX = 0, clipY = 0, clipWidth = 1000, clipHeight = 600;
    };
    const Case cases[] = {
        {"whole image covers the grid area", 0, 0, WholeImage, 0, 0, 0, 0, 0, 0, 0, 0, 600, 600},
        {"a piece at an offset", 5, 10, 0, 0, 19, 49, 0, 5, 10, 0, 0, 20, 50},
        {"cut at the left", -100, 0, WholeImage, 0, 0, 0, 0, 0, 0, 100, 0, 500, 600},
        {"cut at the top and right", 900, -590, WholeImage, 0, 0, 0, 0, 900, 0, 0, 590, 100, 10},
        {"corners in any order", 0, 0, 10, 10, 5, 5, 0, 0, 0, 5, 5, 6, 6},
        {"corners clamped to the source", 100, 100, 590, 0, 700, 9, 0, 100, 100, 590, 0, 10, 10},
        {"wholly outside the source: nearest corner", 200, 200, 700, -20, 800, -10, 0, 200, 200,
         599, 0, 1, 1},
        {"kind 2 adds the pen", 10, 10, 0, 0, 29, 29, 2, 210, 210, 0, 0, 30, 30},
        {"kind 2 again from the moved pen", 20, 0, 0, 0, 0, 0, 2, 230, 210, 0, 0, 1, 1},
        {"kind 1: second corner is an offset", 500, 300, 2, 3, 4, 5, 1, 500, 300, 2, 3, 5, 6},
        {"kind 3: both", 100, 0, 1, 1, 0, 0, 3, 600, 300, 1, 1, 1, 1},
        {"halves round away from zero", 700.5f, 400.4f, 0, 0, 0, 0, 0, 701, 400, 0, 0, 1, 1},
        {"below the screen", 0, 600, WholeImage, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {"left of the screen", -600, 0, WholeImage, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {"far below", 0, 1.0e9f, WholeImage, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {"one column in", -599, 0, WholeImage, 0, 0, 0, 0, 0, 0, 599, 0, 1, 600},
        // The clip origin still places the picture; only the screen's edges cut it.
        {"clip past the screen", 500, 100, WholeImage, 0, 0, 0, 0, 450, 60, 0, 0, 550, 540, -50,
         -40, 1200, 800}};
    ImageHandle image = positionImage(600, 600);
    for (const Case& c : cases) {
        gfxtest::fillScreen(Black);
        gfxtest::clearDirtyRows();
        gfxtest::driverLog().clear();
        runtime::setLastError(LoadResult::BadFile);
        drawTarget().clipRect = ClipRect{c.clipX, c.clipY, c.clipWidth, c.clipHeight};
        blit(image.get(), c.x, c.y, c.x1, c.y1, c.x2, c.y2, c.kind);
        EXPECT_EQ(runtime::lastError(), LoadResult::Ok) << c.name;
        // The screen holds source pixels from (sx, sy) in the rectangle at
        // (left, top), and the background everywhere else; only its rows are marked.
        for (std::int32_t y = 0; y < 600; ++y) {
            const bool row = y >= c.top && y < c.top + c.height;
            ASSERT_EQ(activeScreen()->dirtyRows[y], row ? 1 : 0) << c.name << " row " << y;
            for (std::int32_t x = 0; x < 1000; ++x) {
                const bool inside = row && x >= c.left && x < c.left + c.width;
                // The source pixel's position, its alpha cleared by the blit.
                const auto written =
                    static_cast<std::uint32_t>((c.sy + y - c.top) << 12 | (c.sx + x - c.left));
                ASSERT_EQ(gfxtest::screenPixel(x, y), inside ? written : Black)
                    << c.name << " at " << x << "," << y;
            }
        }
        // Nothing to draw takes no lock; a lock left held would hide the next one.
        EXPECT_EQ(gfxtest::countInLog("Rec:lock"), c.width > 0 ? 1 : 0) << c.name;
        EXPECT_EQ(gfxtest::countInLog("Rec:unlock"), c.width > 0 ? 1 : 0) << c.name;
    }
}

TEST_F(BlitTest, RefusedBlitsDrawNothing) {
    ImageHandle sixteen(createImage(10, 10, 0x123456u, 16, 0));
    ImageHandle image = positionImage(4, 4);
    auto refused = [](const char* name) {
        EXPECT_EQ(runtime::lastError(), LoadResult::BadCall) << name;
        runtime::setLastError(LoadResult::Ok);
    };
    blit(sixteen.get(), 0.0f, 0.0f);
    refused("16-bit image on a 32-bit screen");
    blit(nullptr, 0.0f, 0.0f);
    refused("no image");
    putImage(nullptr, 0, 0, image.get(), WholeImage, 0, 0, 0, 0, 0, nullptr, -1, nullptr, nullptr);
    refused("no routine");
    EXPECT_EQ(gfxtest::screenPixel(0, 0), Black);
    EXPECT_EQ(gfxtest::dirtyRowRanges(), "");
    closeScreen();
    blit(image.get(), 0.0f, 0.0f);
    refused("no screen");
}

TEST_F(BlitTest, EveryDepthSkipsItsOwnMask) {
    struct Case {
        std::int32_t depth;
        std::uint32_t source[4], expected[4];  // targets start as 0x0000FF at their depth
    };
    const Case cases[] = {// 32 bits: the mask whatever its alpha; the rest lose their alpha.
                          {32,
                           {0xFFFF00FFu, 0x00FF00FFu, 0x80123456u, 0xFFFF00FEu},
                           {0xFF, 0xFF, 0x123456u, 0xFF00FEu}},
                          {16, {0xF81F, 0x1234, 0x0000, 0xF81E}, {0x1F, 0x1234, 0x0000, 0xF81E}},
                          {8, {0, 200, 1, 0}, {0xFF, 200, 1, 0xFF}}};
    for (const Case& c : cases) {
        ImageHandle target(createImage(4, 1, 0x0000FFu, c.depth, 0));
        ImageHandle source(createImage(4, 1, 0, c.depth, 0));
        for (std::int32_t x = 0; x < 4; ++x) {
            std::memcpy(imageRow(source.get(), 0) + std::ptrdiff_t{x} * source->bytesPerPixel,
                        &c.source[x], static_cast<std::size_t>(source->bytesPerPixel));
        }
        putImage(target.get(), 0, 0, source.get(), WholeImage, 0, 0, 0, 0, 0, putTransparent, -1,
                 nullptr, nullptr);
        EXPECT_EQ(runtime::lastError(), LoadResult::Ok) << c.depth;
        for (std::int32_t x = 0; x < 4; ++x) {
            EXPECT_EQ(imagetest::pixelAt(target.get(), x, 0), c.expected[x])
                << c.depth << " bits at " << x;
        }
    }
    EXPECT_EQ(gfxtest::dirtyRowRanges(), "");  // images are not the visible page
}

// Random rows, a third of them the mask (with any alpha), at every width
// around the vector lengths and with padding between the rows.
TEST(TransparentRows, VectorRowsMatchScalarRows) {
    std::mt19937 random(42);
    std::vector<TransparentRowsFn> fast{transparentRows32Vector};
    if (__builtin_cpu_supports("avx2")) fast.push_back(transparentRows32Wide);
    for (std::int32_t width = 1; width <= 67; ++width) {
        for (const auto& shape : {std::pair{1, 0}, {2, 4}, {5, 12}, {3, 0}}) {
            // Plain variables: not every compiler lets a lambda capture a binding.
            const std::int32_t height = shape.first, slack = shape.second;
            const std::int32_t sourcePitch = width * 4 + slack,
                               destinationPitch = width * 4 + 2 * slack + 4;
            std::vector<std::uint32_t> source(static_cast<std::size_t>(sourcePitch / 4 * height));
            std::vector<std::uint32_t> before(
                static_cast<std::size_t>(destinationPitch / 4 * height));
            for (auto& v : source) {
                v = random() % 3 == 0 ? (random() & 0xFF000000u) | 0xFF00FFu : random();
            }
            for (auto& v : before) v = random();
            auto run = [&](TransparentRowsFn rows) {
                auto out = before;
                rows(reinterpret_cast<const std::uint8_t*>(source.data()),
                     reinterpret_cast<std::uint8_t*>(out.data()), width, height, sourcePitch,
                     destinationPitch);
                return out;
            };
            const auto expected = run(transparentRows32);
            for (std::size_t i = 0; i < fast.size(); ++i) {
                ASSERT_EQ(run(fast[i]), expected)
                    << "variant " << i << ", " << width << "x" << height;
            }
        }
    }
}

}  // namespace
