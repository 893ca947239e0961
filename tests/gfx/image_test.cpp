#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "gfx/aligned_block.hpp"
#include "gfx/draw_target.hpp"
#include "gfx/image.hpp"
#include "gfx/screen.hpp"
#include "tests/gfx/image_test_support.hpp"

namespace {

using gfx::ImageHandle;
using gfx::LoadResult;
using imagetest::pixelAt;

class ImageTest : public ::testing::Test {
  protected:
    void SetUp() override { imagetest::openNullScreen(); }
    void TearDown() override {
        gfx::failNextAllocations(0);
        gfx::closeScreen();
        gfx::presetDriverName(nullptr);
    }
};

bool everySlotEquals(const gfx::ImageBuffer* image, std::uint32_t value) {
    const std::int32_t slots = image->pitch / image->bytesPerPixel;
    for (std::int32_t y = 0; y < image->height; ++y) {
        for (std::int32_t x = 0; x < slots; ++x) {
            if (pixelAt(image, x, y) != value) return false;
        }
    }
    return true;
}

TEST_F(ImageTest, WinPictureImageIsMaskFilledInScreenDepth) {
    ImageHandle image(gfx::createImage(600, 600, 0, 0, gfx::NoColorGiven));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(runtime::lastError(), LoadResult::Ok);
    EXPECT_EQ(image->type, 7);
    EXPECT_EQ(image->bytesPerPixel, 4);
    EXPECT_EQ(image->pitch, 2400);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(image.get()) % 16, 0u);
    EXPECT_EQ(image->reserved[1], 0u);
    EXPECT_EQ(image->reserved[2], 0u);
    EXPECT_TRUE(everySlotEquals(image.get(), 0xFFFF00FFu));
}

TEST_F(ImageTest, PaddingSlotsTakeTheFillColour) {
    ImageHandle image(gfx::createImage(10, 1, 0x12345678u, 32, 0));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pitch, 48);
    for (std::int32_t x = 0; x < 12; ++x) EXPECT_EQ(pixelAt(image.get(), x, 0), 0x12345678u) << x;
}

TEST_F(ImageTest, DepthChoosesBytesPerPixelAndPacking) {
    runtime::setLastError(LoadResult::Ok);
    EXPECT_EQ(gfx::createImage(4, 4, 0, 24, 0), nullptr);
    EXPECT_EQ(runtime::lastError(), LoadResult::BadCall);
    EXPECT_EQ(gfx::createImage(4, 4, 0, 33, 0), nullptr);

    // 0xRRGGBB = 0xFF8040: red 11111, green 100000, blue 01000.
    ImageHandle sixteen(gfx::createImage(3, 2, 0xFF8040u, 15, 0));
    ASSERT_NE(sixteen, nullptr);
    EXPECT_EQ(sixteen->bytesPerPixel, 2);
    EXPECT_EQ(sixteen->pitch, 16);
    EXPECT_TRUE(everySlotEquals(sixteen.get(), (0x1Fu << 11) | (0x20u << 5) | 0x08u));

    ImageHandle masked16(gfx::createImage(3, 2, 0, 16, gfx::NoColorGiven));
    ASSERT_NE(masked16, nullptr);
    EXPECT_TRUE(everySlotEquals(masked16.get(), 0xF81Fu));

    ImageHandle indexed(gfx::createImage(5, 3, 0xAB, 8, 0));
    ASSERT_NE(indexed, nullptr);
    EXPECT_EQ(indexed->bytesPerPixel, 1);
    EXPECT_TRUE(everySlotEquals(indexed.get(), 0xABu));
    ImageHandle masked8(gfx::createImage(5, 3, 0xAB, 1, gfx::NoColorGiven));
    ASSERT_NE(masked8, nullptr);
    EXPECT_TRUE(everySlotEquals(masked8.get(), 0u));
}

TEST_F(ImageTest, RefusesBadSizesAndReportsMemory) {
    EXPECT_EQ(gfx::createImage(0, 5, 0, 32, 0), nullptr);
    EXPECT_EQ(runtime::lastError(), LoadResult::BadCall);
    EXPECT_EQ(gfx::createImage(5, -1, 0, 32, 0), nullptr);
    EXPECT_EQ(runtime::lastError(), LoadResult::BadCall);

    gfx::failNextAllocations(1);
    EXPECT_EQ(gfx::createImage(5, 5, 0, 32, 0), nullptr);
    EXPECT_EQ(runtime::lastError(), LoadResult::NoMemory);
    // Far beyond what a 32-bit header can describe: refused, not attempted.
    EXPECT_EQ(gfx::createImage(0x7FFFFFFF, 0x7FFFFFFF, 0, 32, 0), nullptr);
    EXPECT_EQ(runtime::lastError(), LoadResult::NoMemory);

    gfx::closeScreen();
    EXPECT_EQ(gfx::createImage(5, 5, 0, 32, 0), nullptr);
    EXPECT_EQ(runtime::lastError(), LoadResult::BadCall);
}

TEST_F(ImageTest, NewImageBecomesTheTargetUntilDestroyed) {
    gfx::ImageBuffer* image = gfx::createImage(40, 30, 0, 32, 0);
    ASSERT_NE(image, nullptr);
    gfx::DrawTarget& context = gfx::drawTarget();
    EXPECT_EQ(context.target, image);
    EXPECT_EQ(context.clipRect.width, 40);
    EXPECT_EQ(context.clipRect.height, 30);
    gfx::destroyImage(image);
    EXPECT_EQ(context.target, nullptr);
    EXPECT_EQ(context.clipRect.width, 1000);
    EXPECT_EQ(context.clipRect.height, 600);
}

TEST_F(ImageTest, ResultNames) {
    EXPECT_STREQ(gfx::loadResultName(LoadResult::Ok), "Ok");
    EXPECT_STREQ(gfx::loadResultName(LoadResult::BadCall), "BadCall");
    EXPECT_STREQ(gfx::loadResultName(LoadResult::CannotOpen), "CannotOpen");
    EXPECT_STREQ(gfx::loadResultName(LoadResult::BadFile), "BadFile");
    EXPECT_STREQ(gfx::loadResultName(LoadResult::NoMemory), "NoMemory");
}

// Raw dumps: the marker, the length, then the image block byte for byte.
std::vector<std::uint8_t> rawDump(const gfx::ImageBuffer* image, std::size_t length,
                                  bool shortForm) {
    std::vector<std::uint8_t> out;
    if (shortForm) {
        out = {0xFD,
               0,
               0,
               0,
               0,
               static_cast<std::uint8_t>(length),
               static_cast<std::uint8_t>(length >> 8)};
    } else {
        out = {0xFE, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
               static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(image);
    out.insert(out.end(), bytes, bytes + length);
    return out;
}

std::vector<std::uint8_t> blockBytes(const gfx::ImageBuffer* image) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(image);
    return {bytes, bytes + 32 + static_cast<std::size_t>(image->pitch) * image->height};
}

class RawDumpTest : public ImageTest {
  protected:
    imagetest::TempDir dir;
    std::string path = dir.file("dump.raw");
};

TEST_F(RawDumpTest, DumpRestoresTheImageInBothForms) {
    ImageHandle source(gfx::createImage(7, 5, 0, 32, 0));
    ASSERT_NE(source, nullptr);
    for (std::int32_t y = 0; y < 5; ++y) {
        for (std::int32_t x = 0; x < 7; ++x) {
            const std::uint32_t v = 0x01000000u * static_cast<std::uint32_t>(y) + x * 3u;
            std::memcpy(gfx::imageRow(source.get(), y) + 4 * x, &v, 4);
        }
    }
    const std::size_t length = 32 + 32u * 5;
    for (bool shortForm : {false, true}) {
        imagetest::writeFile(path, rawDump(source.get(), length, shortForm));
        ImageHandle target(gfx::createImage(7, 5, 0, 32, gfx::NoColorGiven));
        ASSERT_NE(target, nullptr);
        ASSERT_EQ(gfx::loadImage(path, target.get(), nullptr), LoadResult::Ok);
        for (std::int32_t y = 0; y < 5; ++y) {
            for (std::int32_t x = 0; x < 7; ++x) {
                EXPECT_EQ(pixelAt(target.get(), x, y), pixelAt(source.get(), x, y));
            }
        }
    }
}

TEST_F(RawDumpTest, DumpLargerThanTheBlockIsRefusedAndChangesNothing) {
    ImageHandle big(gfx::createImage(16, 16, 0x11223344u, 32, 0));
    ImageHandle small(gfx::createImage(4, 4, 0, 32, gfx::NoColorGiven));
    ASSERT_NE(big, nullptr);
    ASSERT_NE(small, nullptr);
    const auto before = blockBytes(small.get());
    imagetest::writeFile(path, rawDump(big.get(), blockBytes(big.get()).size(), false));
    EXPECT_EQ(gfx::loadImage(path, small.get(), nullptr), LoadResult::BadFile);
    EXPECT_EQ(blockBytes(small.get()), before);
}

TEST_F(RawDumpTest, DumpWhoseHeaderClaimsMoreRowsThanTheBlockIsRefused) {
    ImageHandle target(gfx::createImage(4, 4, 0, 32, gfx::NoColorGiven));
    ASSERT_NE(target, nullptr);
    const auto before = blockBytes(target.get());
    // Only the header: height 1000 in a block of 4 rows.
    gfx::ImageBuffer lying = *target;
    lying.height = 1000;
    imagetest::writeFile(path, rawDump(&lying, 32, false));
    EXPECT_EQ(gfx::loadImage(path, target.get(), nullptr), LoadResult::BadFile);
    EXPECT_EQ(blockBytes(target.get()), before);
    // A pitch that is not a multiple of 16, or too small for the width.
    lying = *target;
    lying.pitch = 8;
    imagetest::writeFile(path, rawDump(&lying, 32, false));
    EXPECT_EQ(gfx::loadImage(path, target.get(), nullptr), LoadResult::BadFile);
    EXPECT_EQ(blockBytes(target.get()), before);
}

TEST_F(RawDumpTest, ShortDumpKeepsTheBytesThatArrived) {
    ImageHandle source(gfx::createImage(4, 2, 0xAAAAAAAAu, 32, 0));
    ImageHandle target(gfx::createImage(4, 2, 0, 32, gfx::NoColorGiven));
    ASSERT_NE(source, nullptr);
    ASSERT_NE(target, nullptr);
    auto dump = rawDump(source.get(), 32 + 32, false);
    dump.resize(dump.size() - 16);  // the length says two rows; one arrives
    imagetest::writeFile(path, dump);
    EXPECT_EQ(gfx::loadImage(path, target.get(), nullptr), LoadResult::Ok);
    for (std::int32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(pixelAt(target.get(), x, 0), 0xAAAAAAAAu);
        EXPECT_EQ(pixelAt(target.get(), x, 1), 0xFFFF00FFu);
    }
}

TEST_F(RawDumpTest, DumpReshapingTheSelectedImageUpdatesTheDrawTarget) {
    ImageHandle target(gfx::createImage(8, 8, 0, 32, gfx::NoColorGiven));
    ASSERT_NE(target, nullptr);
    gfx::ImageBuffer narrow = *target;
    narrow.width = 2;
    narrow.height = 3;
    imagetest::writeFile(path, rawDump(&narrow, 32, false));
    ASSERT_EQ(gfx::drawTarget().target, target.get());
    ASSERT_EQ(gfx::loadImage(path, target.get(), nullptr), LoadResult::Ok);
    EXPECT_EQ(target->width, 2);
    EXPECT_EQ(gfx::drawTarget().clipRect.width, 2);
    EXPECT_EQ(gfx::drawTarget().clipRect.height, 3);
}

TEST_F(RawDumpTest, DumpIntoAnImageNeedsNoScreen) {
    ImageHandle source(gfx::createImage(4, 1, 0x01020304u, 32, 0));
    ImageHandle target(gfx::createImage(4, 1, 0, 32, gfx::NoColorGiven));
    ASSERT_NE(source, nullptr);
    ASSERT_NE(target, nullptr);
    imagetest::writeFile(path, rawDump(source.get(), 48, false));
    gfx::closeScreen();
    EXPECT_EQ(gfx::loadImage(path, target.get(), nullptr), LoadResult::Ok);
    EXPECT_EQ(pixelAt(target.get(), 3, 0), 0x01020304u);
    EXPECT_EQ(gfx::loadImage(path, nullptr, nullptr), LoadResult::BadCall);
}

TEST_F(RawDumpTest, DumpIntoTheScreenFillsThePageAndMarksItsRows) {
    std::vector<std::uint8_t> dump = {0xFE, 0, 0, 0, 0};
    const std::uint32_t length = 4000 + 8;  // one row and two pixels
    std::memcpy(&dump[1], &length, 4);
    dump.resize(5 + length, 0x5A);
    imagetest::writeFile(path, dump);
    gfx::Screen* screen = gfx::activeScreen();
    std::fill(screen->dirtyRows.begin(), screen->dirtyRows.end(), 0);
    ASSERT_EQ(gfx::loadImage(path, nullptr, nullptr), LoadResult::Ok);
    EXPECT_EQ(screen->pages[0][0], 0x5A);
    EXPECT_EQ(screen->pages[0][4007], 0x5A);
    EXPECT_EQ(screen->pages[0][4008], 0x00);  // cleared to 0xFF000000: blue byte 0
    EXPECT_EQ(screen->dirtyRows[1], 1);
    EXPECT_EQ(screen->dirtyRows[2], 0);
    EXPECT_EQ(screen->lockCount, 0);
}

}  // namespace

namespace {

TEST_F(RawDumpTest, DumpWithoutMemoryForItsBufferChangesNothing) {
    ImageHandle source(gfx::createImage(4, 4, 0x55667788u, 32, 0));
    ImageHandle target(gfx::createImage(4, 4, 0, 32, gfx::NoColorGiven));
    ASSERT_NE(source, nullptr);
    ASSERT_NE(target, nullptr);
    const auto before = blockBytes(target.get());
    const auto dump = rawDump(source.get(), blockBytes(source.get()).size(), false);
    imagetest::writeFile(path, dump);
    gfx::failNextAllocations(1);
    EXPECT_EQ(gfx::loadImage(path, target.get(), nullptr), LoadResult::NoMemory);
    gfx::failNextAllocations(1);
    EXPECT_EQ(gfx::loadImageFromMemory(dump, target.get(), nullptr), LoadResult::NoMemory);
    EXPECT_EQ(blockBytes(target.get()), before);
}

}  // namespace
