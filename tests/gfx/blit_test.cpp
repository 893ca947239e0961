#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "gfx/blit.hpp"
#include "gfx/draw_target.hpp"
#include "gfx/image.hpp"
#include "gfx/screen.hpp"
#include "gfx/transparent_table.hpp"
#include "tests/gfx/image_test_support.hpp"
#include "tests/gfx/recording_driver.hpp"

namespace {

using gfx::ImageHandle;
using gfx::LoadResult;
using gfx::WholeImage;
using imagetest::pixelAt;

constexpr std::uint32_t Background = 0xFF000000u;

// A picture whose every pixel names its own position and is opaque.
ImageHandle positionImage(std::int32_t width, std::int32_t height) {
    ImageHandle image(gfx::createImage(width, height, 0, 32, 0));
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint32_t v = 0xFF000000u | static_cast<std::uint32_t>(y << 12 | x);
            std::memcpy(gfx::imageRow(image.get(), y) + 4 * x, &v, 4);
        }
    }
    return image;
}

// What the blit writes for source pixel (sx, sy): its alpha cleared.
std::uint32_t written(std::int32_t sx, std::int32_t sy) {
    return static_cast<std::uint32_t>(sy << 12 | sx);
}

// On the recording back end, so the tests can count the driver's locks.
class BlitTest : public gfxtest::RecordingScreenTest {
  protected:
    void SetUp() override {
        RecordingScreenTest::SetUp();
        ASSERT_EQ(gfx::openScreen(1000, 600, 32, 0, 0, 0), 0);
        screen = gfx::activeScreen();
        std::fill(screen->dirtyRows.begin(), screen->dirtyRows.end(), 0);
        gfxtest::driverLog().clear();
    }

    std::uint32_t screenPixel(std::int32_t x, std::int32_t y) const {
        std::uint32_t v = 0;
        std::memcpy(&v, screen->pages[0] + y * 4000 + x * 4, 4);
        return v;
    }
    void blit(const gfx::ImageBuffer* image, float x, float y, std::int32_t x1 = WholeImage,
              std::int32_t y1 = 0, std::int32_t x2 = 0, std::int32_t y2 = 0,
              std::int32_t coordKind = 0) {
        gfx::putImage(nullptr, x, y, image, x1, y1, x2, y2, coordKind, 0, gfx::putTransparent, -1,
                      nullptr, nullptr);
    }
    std::int32_t dirtyCount() const {
        return static_cast<std::int32_t>(
            std::count(screen->dirtyRows.begin(), screen->dirtyRows.end(), 1));
    }
    // The screen holds source pixels from (sx, sy) in the rectangle at
    // (left, top), and the background everywhere else; only its rows are marked.
    void expectOnly(const char* name, std::int32_t left, std::int32_t top, std::int32_t sx,
                    std::int32_t sy, std::int32_t width, std::int32_t height) {
        for (std::int32_t y = 0; y < 600; ++y) {
            const bool row = y >= top && y < top + height;
            ASSERT_EQ(screen->dirtyRows[y], row ? 1 : 0) << name << " row " << y;
            for (std::int32_t x = 0; x < 1000; ++x) {
                const bool inside = row && x >= left && x < left + width;
                ASSERT_EQ(screenPixel(x, y),
                          inside ? written(sx + x - left, sy + y - top) : Background)
                    << name << " at " << x << "," << y;
            }
        }
        EXPECT_EQ(screen->lockCount, 0) << name;
        // Nothing to draw takes no lock.
        EXPECT_EQ(gfxtest::countInLog("Rec:lock"), width > 0 ? 1 : 0) << name;
        EXPECT_EQ(gfxtest::countInLog("Rec:unlock"), width > 0 ? 1 : 0) << name;
    }

    gfx::Screen* screen = nullptr;
};

// Placement, clipping at the screen's edges, source rectangles and the
// coordinate kinds; the cases run in order since kinds 2 and 3 start from
// the pen the case before left.
TEST_F(BlitTest, PlacesClipsAndCutsTheSourceRectangle) {
    struct Case {
        const char* name;
        float x, y;
        std::int32_t x1, y1, x2, y2, kind;
        std::int32_t left, top, sx, sy, width, height;  // what lands on the screen
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
        {"right of the screen", 1000, 0, WholeImage, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {"left of the screen", -600, 0, WholeImage, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {"above the screen", 0, -600, WholeImage, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {"far below", 0, 1.0e9f, WholeImage, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {"one column in", -599, 0, WholeImage, 0, 0, 0, 0, 0, 0, 599, 0, 1, 600}};
    ImageHandle image = positionImage(600, 600);
    for (const Case& c : cases) {
        for (std::int32_t i = 0; i < 1000 * 600; ++i)
            std::memcpy(screen->pages[0] + 4 * i, &Background, 4);
        std::fill(screen->dirtyRows.begin(), screen->dirtyRows.end(), 0);
        gfxtest::driverLog().clear();
        runtime::setLastError(LoadResult::BadFile);
        blit(image.get(), c.x, c.y, c.x1, c.y1, c.x2, c.y2, c.kind);
        EXPECT_EQ(runtime::lastError(), LoadResult::Ok) << c.name;
        expectOnly(c.name, c.left, c.top, c.sx, c.sy, c.width, c.height);
    }
}

TEST_F(BlitTest, ClipRectanglePastTheScreenStillStopsAtItsEdges) {
    // The clip origin still places the picture; only the screen bounds cut it.
    ImageHandle image = positionImage(600, 600);
    ASSERT_TRUE(gfx::selectTarget(gfx::drawTarget(), nullptr));
    gfx::drawTarget().clipRect = gfx::ClipRect{-50, -40, 1200, 800};
    blit(image.get(), 500.0f, 100.0f);
    expectOnly("clip past the screen", 450, 60, 0, 0, 550, 540);
}

TEST_F(BlitTest, RefusedBlitsDrawNothing) {
    ImageHandle sixteen(gfx::createImage(10, 10, 0x123456u, 16, 0));
    blit(sixteen.get(), 0.0f, 0.0f);
    EXPECT_EQ(runtime::lastError(), LoadResult::BadCall);
    EXPECT_EQ(screenPixel(0, 0), Background);
    EXPECT_EQ(dirtyCount(), 0);
    runtime::setLastError(LoadResult::Ok);
    blit(nullptr, 0.0f, 0.0f);
    EXPECT_EQ(runtime::lastError(), LoadResult::BadCall);
    ImageHandle image = positionImage(4, 4);
    runtime::setLastError(LoadResult::Ok);
    gfx::putImage(nullptr, 0, 0, image.get(), WholeImage, 0, 0, 0, 0, 0, nullptr, -1, nullptr,
                  nullptr);
    EXPECT_EQ(runtime::lastError(), LoadResult::BadCall);
    gfx::closeScreen();
    runtime::setLastError(LoadResult::Ok);
    blit(image.get(), 0.0f, 0.0f);
    EXPECT_EQ(runtime::lastError(), LoadResult::BadCall);
}

TEST_F(BlitTest, EveryDepthSkipsItsOwnMask) {
    // 32 bits: the mask whatever its alpha; the rest lose their alpha.
    ImageHandle image = positionImage(4, 1);
    const std::uint32_t values[] = {0xFFFF00FFu, 0x00FF00FFu, 0x80123456u, 0xFFFF00FEu};
    std::memcpy(gfx::imageRow(image.get(), 0), values, sizeof values);
    blit(image.get(), 0.0f, 0.0f);
    const std::uint32_t expected32[] = {Background, Background, 0x00123456u, 0x00FF00FEu};
    for (std::int32_t x = 0; x < 4; ++x) EXPECT_EQ(screenPixel(x, 0), expected32[x]) << x;
    std::fill(screen->dirtyRows.begin(), screen->dirtyRows.end(), 0);

    ImageHandle target16(gfx::createImage(4, 1, 0x0000FFu, 16, 0));
    ImageHandle source16(gfx::createImage(4, 1, 0, 16, gfx::NoColorGiven));
    const std::uint16_t words[] = {0xF81F, 0x1234, 0x0000, 0xF81E};
    std::memcpy(gfx::imageRow(source16.get(), 0), words, sizeof words);
    gfx::putImage(target16.get(), 0, 0, source16.get(), WholeImage, 0, 0, 0, 0, 0,
                  gfx::putTransparent, -1, nullptr, nullptr);
    EXPECT_EQ(runtime::lastError(), LoadResult::Ok);
    const std::uint32_t expected16[] = {0x001Fu, 0x1234u, 0x0000u, 0xF81Eu};
    for (std::int32_t x = 0; x < 4; ++x) EXPECT_EQ(pixelAt(target16.get(), x, 0), expected16[x]);

    ImageHandle target8(gfx::createImage(3, 1, 9, 8, 0));
    ImageHandle source8(gfx::createImage(3, 1, 0, 8, 0));
    gfx::imageRow(source8.get(), 0)[1] = 200;
    gfx::putImage(target8.get(), 0, 0, source8.get(), WholeImage, 0, 0, 0, 0, 0,
                  gfx::putTransparent, -1, nullptr, nullptr);
    EXPECT_EQ(pixelAt(target8.get(), 0, 0), 9u);
    EXPECT_EQ(pixelAt(target8.get(), 1, 0), 200u);
    EXPECT_EQ(dirtyCount(), 0);  // images are not the visible page
}

TEST(TransparentTables, VectorRowsMatchScalarRows) {
    std::mt19937 random(42);
    const auto& scalar = gfx::scalarTransparentTable();
    std::vector<const gfx::TransparentTable*> fast{&gfx::vectorTransparentTable()};
    if (__builtin_cpu_supports("avx2")) fast.push_back(&gfx::wideTransparentTable());
    for (std::int32_t width = 1; width <= 67; ++width) {
        for (std::int32_t height : {1, 2, 5}) {
            for (std::int32_t slack : {0, 4, 12}) {
                const std::int32_t sourcePitch = width * 4 + slack;
                const std::int32_t destinationPitch = width * 4 + 2 * slack + 4;
                std::vector<std::uint8_t> source(static_cast<std::size_t>(sourcePitch * height));
                for (std::size_t i = 0; i < source.size(); i += 4) {
                    std::uint32_t v = random();
                    if (random() % 3 == 0) v = (v & 0xFF000000u) | 0x00FF00FFu;
                    std::memcpy(&source[i], &v, 4);
                }
                std::vector<std::uint8_t> expected(
                    static_cast<std::size_t>(destinationPitch * height));
                for (auto& byte : expected) byte = static_cast<std::uint8_t>(random());
                const auto before = expected;
                scalar.fourBytes(source.data(), expected.data(), width, height, sourcePitch,
                                 destinationPitch);
                for (std::size_t i = 0; i < fast.size(); ++i) {
                    auto got = before;
                    fast[i]->fourBytes(source.data(), got.data(), width, height, sourcePitch,
                                       destinationPitch);
                    ASSERT_EQ(got, expected)
                        << "table " << i << ", " << width << "x" << height << " slack " << slack;
                }
            }
        }
    }
}

}  // namespace
