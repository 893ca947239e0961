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

class BlitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        imagetest::openNullScreen();
        screen = gfx::activeScreen();
        std::fill(screen->dirtyRows.begin(), screen->dirtyRows.end(), 0);
    }
    void TearDown() override {
        gfx::closeScreen();
        gfx::presetDriverName(nullptr);
    }

    std::uint32_t screenPixel(std::int32_t x, std::int32_t y) const {
        std::uint32_t v = 0;
        std::memcpy(&v, screen->pages[0] + y * 4000 + x * 4, 4);
        return v;
    }
    // A picture whose every pixel names its own position and is opaque.
    static ImageHandle positionImage(std::int32_t width, std::int32_t height) {
        ImageHandle image(gfx::createImage(width, height, 0, 32, 0));
        for (std::int32_t y = 0; y < height; ++y) {
            for (std::int32_t x = 0; x < width; ++x) {
                const std::uint32_t v = 0xFF000000u | static_cast<std::uint32_t>(y << 12 | x);
                std::memcpy(gfx::imageRow(image.get(), y) + 4 * x, &v, 4);
            }
        }
        return image;
    }
    static std::uint32_t written(std::int32_t sx, std::int32_t sy) {
        return static_cast<std::uint32_t>(sy << 12 | sx);  // alpha cleared
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

    gfx::Screen* screen = nullptr;
};

TEST_F(BlitTest, GameBlitCoversTheGridAreaOnly) {
    ImageHandle image = positionImage(600, 600);
    blit(image.get(), 0.0f, 0.0f);
    EXPECT_EQ(runtime::lastError(), LoadResult::Ok);
    for (std::int32_t y = 0; y < 600; y += 13) {
        EXPECT_EQ(screenPixel(0, y), written(0, y));
        EXPECT_EQ(screenPixel(599, y), written(599, y));
        EXPECT_EQ(screenPixel(600, y), Background);
        EXPECT_EQ(screenPixel(999, y), Background);
    }
    EXPECT_EQ(dirtyCount(), 600);
    EXPECT_EQ(screen->lockCount, 0);
}

TEST_F(BlitTest, MarksOnlyTheRowsItDrew) {
    ImageHandle image = positionImage(20, 50);
    blit(image.get(), 5.0f, 10.0f);
    EXPECT_EQ(dirtyCount(), 50);
    EXPECT_EQ(screen->dirtyRows[9], 0);
    EXPECT_EQ(screen->dirtyRows[10], 1);
    EXPECT_EQ(screen->dirtyRows[59], 1);
    EXPECT_EQ(screen->dirtyRows[60], 0);
    EXPECT_EQ(screenPixel(5, 10), written(0, 0));
    EXPECT_EQ(screenPixel(4, 10), Background);
}

TEST_F(BlitTest, MaskPixelsAreSkippedWhateverTheirAlpha) {
    ImageHandle image = positionImage(4, 1);
    const std::uint32_t values[] = {0xFFFF00FFu, 0x00FF00FFu, 0x80123456u, 0xFFFF00FEu};
    std::memcpy(gfx::imageRow(image.get(), 0), values, sizeof values);
    blit(image.get(), 0.0f, 0.0f);
    EXPECT_EQ(screenPixel(0, 0), Background);
    EXPECT_EQ(screenPixel(1, 0), Background);
    EXPECT_EQ(screenPixel(2, 0), 0x00123456u);
    EXPECT_EQ(screenPixel(3, 0), 0x00FF00FEu);
}

TEST_F(BlitTest, ClipsAtTheScreenEdges) {
    ImageHandle image = positionImage(600, 600);
    blit(image.get(), -100.0f, 0.0f);
    EXPECT_EQ(screenPixel(0, 7), written(100, 7));
    EXPECT_EQ(screenPixel(499, 7), written(599, 7));
    EXPECT_EQ(screenPixel(500, 7), Background);

    blit(image.get(), 900.0f, -590.0f);
    EXPECT_EQ(screenPixel(900, 0), written(0, 590));
    EXPECT_EQ(screenPixel(999, 9), written(99, 599));
    EXPECT_EQ(screenPixel(900, 10), Background);
}

TEST_F(BlitTest, ClipRectanglePastTheScreenStillStopsAtItsEdges) {
    // The clip origin still places the picture; only the screen bounds cut it.
    ImageHandle image = positionImage(600, 600);
    ASSERT_TRUE(gfx::selectTarget(gfx::drawTarget(), nullptr));
    gfx::drawTarget().clipRect = gfx::ClipRect{-50, -40, 1200, 800};
    blit(image.get(), 500.0f, 100.0f);
    gfx::drawTarget().clipRect = gfx::ClipRect{0, 0, 1000, 600};
    EXPECT_EQ(screenPixel(450, 60), written(0, 0));
    EXPECT_EQ(screenPixel(999, 599), written(549, 539));
    EXPECT_EQ(screenPixel(449, 60), Background);
    EXPECT_EQ(dirtyCount(), 540);
}

TEST_F(BlitTest, WhollyOutsideDrawsNothingAndTakesNoLock) {
    gfx::closeScreen();
    gfx::presetDriverName(nullptr);
    gfxtest::clearVariable("LETTERMOOR_DRIVER");
    gfx::setDriverCandidates({&gfxtest::Rec::driver()});
    ASSERT_EQ(gfx::openScreen(1000, 600, 32, 0, 0, 0), 0);
    screen = gfx::activeScreen();
    std::fill(screen->dirtyRows.begin(), screen->dirtyRows.end(), 0);
    ImageHandle image = positionImage(50, 50);
    gfxtest::driverLog().clear();
    for (const auto& [x, y] : {std::pair{0.0f, 600.0f},
                               {1000.0f, 0.0f},
                               {-50.0f, 0.0f},
                               {0.0f, -50.0f},
                               {0.0f, 1.0e9f}}) {
        runtime::setLastError(LoadResult::BadFile);
        blit(image.get(), x, y);
        EXPECT_EQ(runtime::lastError(), LoadResult::Ok) << x << "," << y;
    }
    EXPECT_EQ(gfxtest::countInLog("Rec:lock"), 0);
    EXPECT_EQ(dirtyCount(), 0);
    blit(image.get(), -49.0f, 0.0f);
    EXPECT_EQ(gfxtest::countInLog("Rec:lock"), 1);
    EXPECT_EQ(gfxtest::countInLog("Rec:unlock"), 1);
    EXPECT_EQ(screenPixel(0, 0), written(49, 0));
    gfx::closeScreen();
    gfx::setDriverCandidates({});
}

TEST_F(BlitTest, SourceRectanglesAreOrderedAndClamped) {
    ImageHandle image = positionImage(600, 600);
    blit(image.get(), 0.0f, 0.0f, 10, 10, 5, 5);
    EXPECT_EQ(screenPixel(0, 0), written(5, 5));
    EXPECT_EQ(screenPixel(5, 5), written(10, 10));
    EXPECT_EQ(screenPixel(6, 0), Background);
    EXPECT_EQ(screenPixel(0, 6), Background);
    EXPECT_EQ(dirtyCount(), 6);

    blit(image.get(), 100.0f, 100.0f, 590, 0, 700, 9);
    EXPECT_EQ(screenPixel(100, 100), written(590, 0));
    EXPECT_EQ(screenPixel(109, 109), written(599, 9));
    EXPECT_EQ(screenPixel(110, 100), Background);
    EXPECT_EQ(screenPixel(100, 110), Background);

    // Wholly outside the source: the nearest corner pixel.
    blit(image.get(), 200.0f, 200.0f, 700, -20, 800, -10);
    EXPECT_EQ(screenPixel(200, 200), written(599, 0));
    EXPECT_EQ(screenPixel(201, 200), Background);
    EXPECT_EQ(screenPixel(200, 201), Background);
}

TEST_F(BlitTest, CoordinateKindsUseThePenAndOffsets) {
    ImageHandle image = positionImage(30, 30);
    blit(image.get(), 0.0f, 0.0f, WholeImage, 0, 0, 0, 0);
    blit(image.get(), 10.0f, 10.0f, WholeImage, 0, 0, 0, 2);
    EXPECT_EQ(screenPixel(10, 10), written(0, 0));
    EXPECT_EQ(gfx::drawTarget().penPosition.x, 10.0f);
    EXPECT_EQ(gfx::drawTarget().penPosition.y, 10.0f);

    // Kind 1: the second corner is an offset from the first.
    blit(image.get(), 500.0f, 300.0f, 2, 3, 4, 5, 1);
    EXPECT_EQ(screenPixel(500, 300), written(2, 3));
    EXPECT_EQ(screenPixel(504, 305), written(6, 8));
    EXPECT_EQ(screenPixel(505, 300), Background);
    // Kind 3: both; the pen is now (500, 300).
    blit(image.get(), 100.0f, 0.0f, 1, 1, 0, 0, 3);
    EXPECT_EQ(screenPixel(600, 300), written(1, 1));
    EXPECT_EQ(screenPixel(601, 300), Background);
    // Half-way coordinates round away from zero.
    blit(image.get(), 700.5f, 400.4f, 0, 0, 0, 0, 0);
    EXPECT_EQ(screenPixel(701, 400), written(0, 0));
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
    gfx::putImage(nullptr, 0, 0, image.get(), WholeImage, 0, 0, 0, 0, 0, nullptr, -1, nullptr,
                  nullptr);
    EXPECT_EQ(runtime::lastError(), LoadResult::BadCall);
    gfx::closeScreen();
    runtime::setLastError(LoadResult::Ok);
    blit(image.get(), 0.0f, 0.0f);
    EXPECT_EQ(runtime::lastError(), LoadResult::BadCall);
}

TEST_F(BlitTest, SmallerDepthsSkipTheirOwnMask) {
    ImageHandle target16(gfx::createImage(4, 1, 0x0000FFu, 16, 0));
    ImageHandle source16(gfx::createImage(4, 1, 0, 16, gfx::NoColorGiven));
    const std::uint16_t words[] = {0xF81F, 0x1234, 0x0000, 0xF81E};
    std::memcpy(gfx::imageRow(source16.get(), 0), words, sizeof words);
    gfx::putImage(target16.get(), 0, 0, source16.get(), WholeImage, 0, 0, 0, 0, 0,
                  gfx::putTransparent, -1, nullptr, nullptr);
    EXPECT_EQ(runtime::lastError(), LoadResult::Ok);
    EXPECT_EQ(pixelAt(target16.get(), 0, 0), 0x001Fu);
    EXPECT_EQ(pixelAt(target16.get(), 1, 0), 0x1234u);
    EXPECT_EQ(pixelAt(target16.get(), 2, 0), 0x0000u);
    EXPECT_EQ(pixelAt(target16.get(), 3, 0), 0xF81Eu);

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
    const auto& vector = gfx::vectorTransparentTable();
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
                std::vector<std::uint8_t> a(static_cast<std::size_t>(destinationPitch * height));
                for (auto& byte : a) byte = static_cast<std::uint8_t>(random());
                auto b = a;
                auto c = a;
                scalar.fourBytes(source.data(), a.data(), width, height, sourcePitch,
                                 destinationPitch);
                vector.fourBytes(source.data(), b.data(), width, height, sourcePitch,
                                 destinationPitch);
                ASSERT_EQ(a, b) << width << "x" << height << " slack " << slack;
                if (!__builtin_cpu_supports("avx2")) continue;
                gfx::wideTransparentTable().fourBytes(source.data(), c.data(), width, height,
                                                      sourcePitch, destinationPitch);
                ASSERT_EQ(a, c) << "eight at a time, " << width << "x" << height;
            }
        }
    }
}

}  // namespace
