#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <thread>
#include <tuple>
#include <vector>

#include "gfx/image.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"
#include "gfx/text.hpp"
#include "tests/gfx/image_test_support.hpp"
#include "tests/gfx/screen_pixels.hpp"

namespace {

using namespace gfx;
using imagetest::pixelAt;
using Bytes = std::vector<std::uint8_t>;

using ImageTest = gfxtest::NullScreenTest<>;

// New images take their depth, fill every slot and are the target until
// destroyed; refused ones record why.
TEST_F(ImageTest, NewImagesTakeTheirDepthFillEverySlotAndAreTheTargetUntilDestroyed) {
    struct Case {
        const char* name;
        std::int32_t width, height, depth;
        std::uint32_t color, flags;
        std::int32_t bytesPerPixel, pitch;
        std::uint32_t slot;
    };
    const Case cases[] = {
        {"screen depth, mask", 600, 600, 0, 0, NoColorGiven, 4, 2400, 0xFFFF00FFu},
        {"padding slots take the colour", 10, 1, 32, 0x12345678u, 0, 4, 48, 0x12345678u},
        // 0xFF8040: red 11111, green 100000, blue 01000.
        {"15 bits pack 565", 3, 2, 15, 0xFF8040u, 0, 2, 16, 0xFC08u},
        {"1-bit mask is index 0", 5, 3, 1, 0xAB, NoColorGiven, 1, 16, 0u}};
    drawTarget().clipRect = ClipRect{2, 3, 4, 5};  // the screen's, back when an image goes
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageHandle image(createImage(c.width, c.height, c.color, c.depth, c.flags));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(std::tuple(image->bytesPerPixel, image->pitch,
                             reinterpret_cast<std::uintptr_t>(image.get()) % 16),
                  std::tuple(c.bytesPerPixel, c.pitch, 0u));
        for (std::int32_t y = 0; y < c.height; ++y) {
            for (std::int32_t x = 0; x < c.pitch / c.bytesPerPixel; ++x) {
                ASSERT_EQ(pixelAt(image.get(), x, y), c.slot) << x << "," << y;
            }
        }
        const DrawTarget& context = drawTarget();
        EXPECT_EQ(std::tuple(context.target, context.clipRect.width, context.clipRect.height),
                  std::tuple(image.get(), c.width, c.height));
        image.reset();
        EXPECT_EQ(std::tuple(context.target, context.clipRect.x, context.clipRect.height),
                  std::tuple(nullptr, 2, 5));
    }

    // Refused: width, height, depth, allocations that fail, the error.
    const std::tuple<std::int32_t, std::int32_t, std::int32_t, int, LoadResult> refused[] = {
        {4, 4, 24, 0, LoadResult::BadCall},
        {0, 5, 32, 0, LoadResult::BadCall},
        {5, -1, 32, 0, LoadResult::BadCall},
        {5, 5, 32, 1, LoadResult::NoMemory},
        // Beyond what a 32-bit header can describe: refused, not attempted.
        {0x7FFFFFFF, 0x7FFFFFFF, 32, 0, LoadResult::NoMemory}};
    for (const auto& [width, height, depth, failures, error] : refused) {
        runtime::setLastError(LoadResult::Ok);
        failNextAllocations(failures);
        EXPECT_EQ(createImage(width, height, 0, depth, 0), nullptr);
        EXPECT_EQ(runtime::lastError(), error) << width << "x" << height << "x" << depth;
    }
    closeScreen();
    EXPECT_EQ(createImage(5, 5, 0, 32, 0), nullptr);
    EXPECT_EQ(runtime::lastError(), LoadResult::BadCall);
}

// Each allocation a call makes, failed in turn from the first on, fails the
// call (no exception) until it has all it needs. openScreen answers 1, as for
// every failed open, and leaves no screen; the drawing calls give NoMemory.
TEST_F(ImageTest, EveryFailedAllocationFailsTheCallCleanly) {
    const ImageHandle tall(createImage(4, 2000, 0, 32, 0));
    ASSERT_NE(tall, nullptr);
    auto failEachInTurn = [](const char* name, std::int32_t failure, auto call) {
        for (int succeeding = 0;; ++succeeding) {
            ASSERT_LT(succeeding, 16) << name;
            failNextAllocations(std::numeric_limits<int>::max(), succeeding);
            const std::int32_t code = call();
            failNextAllocations(0);
            if (code == 0) return;
            ASSERT_EQ(code, failure) << name << " after " << succeeding;
        }
    };
    failEachInTurn("openScreen", 1, [] {
        const std::int32_t code = openScreen(1000, 600, 32, 2, 0, 0);
        if (code != 0) {
            EXPECT_EQ(activeScreen(), nullptr);
            EXPECT_EQ(runtime::lastError(), LoadResult::NoMemory);
        }
        return code;
    });
    // A thread's first drawing call sets up its target's row table for the
    // screen, then for the taller image.
    failEachInTurn("drawText", static_cast<std::int32_t>(LoadResult::NoMemory), [&] {
        LoadResult code = LoadResult::BadCall;
        std::thread([&] { code = drawText(tall.get(), 0, 0, 0, "A", 0xFFFFFFFFu); }).join();
        return static_cast<std::int32_t>(code);
    });
}

// Raw dumps: the marker, the length, then the image block byte for byte.
Bytes rawDump(const ImageBuffer* image, std::uint32_t length, bool shortForm = false) {
    Bytes out = {shortForm ? std::uint8_t{0xFD} : std::uint8_t{0xFE}};
    if (shortForm) out.insert(out.end(), 4, 0);
    for (int i = 0; i < (shortForm ? 2 : 4); ++i) {
        out.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(image);
    out.insert(out.end(), bytes, bytes + length);
    return out;
}

Bytes blockBytes(const ImageBuffer* image) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(image);
    return {bytes, bytes + 32 + static_cast<std::size_t>(image->pitch) * image->height};
}

LoadResult load(const Bytes& dump, ImageBuffer* target) {
    return loadImageFromMemory(dump, target, nullptr);
}

using RawDumpTest = ImageTest;

TEST_F(RawDumpTest, DumpRestoresTheImageInBothFormsWithoutAScreenOrAsFarAsItGoes) {
    ImageHandle source(createImage(7, 5, 0, 32, 0));
    for (int i = 0; i < 32 * 5; ++i) {
        imageRow(source.get(), 0)[i] = static_cast<std::uint8_t>(i * 7);
    }
    ImageHandle fromLong(createImage(7, 5, 0, 32, NoColorGiven));
    ImageHandle fromShort(createImage(7, 5, 0, 32, NoColorGiven));
    ImageHandle fromCut(createImage(7, 5, 0, 32, NoColorGiven));
    const Bytes dump = rawDump(source.get(), 32 + 32 * 5);
    // An image needs no screen; the screen as target does.
    closeScreen();
    ASSERT_EQ(load(dump, fromLong.get()), LoadResult::Ok);
    ASSERT_EQ(load(rawDump(source.get(), 32 + 32 * 5, true), fromShort.get()), LoadResult::Ok);
    EXPECT_EQ(blockBytes(fromLong.get()), blockBytes(source.get()));
    EXPECT_EQ(blockBytes(fromShort.get()), blockBytes(source.get()));
    // A dump cut short keeps the bytes that arrived: all rows but the last.
    ASSERT_EQ(load(Bytes(dump.begin(), dump.end() - 32), fromCut.get()), LoadResult::Ok);
    EXPECT_EQ(std::pair(pixelAt(fromCut.get(), 6, 3), pixelAt(fromCut.get(), 0, 4)),
              std::pair(pixelAt(source.get(), 6, 3), 0xFFFF00FFu));
    EXPECT_EQ(load(rawDump(source.get(), 32), nullptr), LoadResult::BadCall);
}

TEST_F(RawDumpTest, DumpsThatDoNotFitTheBlockChangeNothing) {
    ImageHandle target(createImage(4, 4, 0, 32, NoColorGiven));
    ImageHandle big(createImage(16, 16, 0x11223344u, 32, 0));
    const Bytes before = blockBytes(target.get());
    // Headers alone: type, bytes per pixel, width, height, pitch.
    const ImageBuffer tall{ImageType, 4, 4, 1000, 16, {}};     // claims rows the block lacks
    const ImageBuffer narrowPitch{ImageType, 4, 4, 4, 8, {}};  // too small for the width
    const ImageBuffer oddPitch{ImageType, 4, 4, 2, 24, {}};  // not a multiple of 16, rows would fit
    const std::pair<const char*, Bytes> cases[] = {
        {"larger than the block", rawDump(big.get(), 32 + 64 * 16)},
        {"more rows than the block", rawDump(&tall, 32)},
        {"pitch 8", rawDump(&narrowPitch, 32)},
        {"pitch 24", rawDump(&oddPitch, 32)}};
    for (const auto& [name, dump] : cases) {
        EXPECT_EQ(load(dump, target.get()), LoadResult::BadFile) << name;
        EXPECT_EQ(blockBytes(target.get()), before) << name;
    }
    ImageHandle same(createImage(4, 4, 0x55667788u, 32, 0));
    failNextAllocations(1);
    EXPECT_EQ(load(rawDump(same.get(), 32 + 16 * 4), target.get()), LoadResult::NoMemory);
    EXPECT_EQ(blockBytes(target.get()), before);
}

// A dump may reshape the selected image, and the draw target follows; one
// into the screen fills the page and marks its rows.
TEST_F(RawDumpTest, DumpsIntoTheSelectedImageOrTheScreenUpdateWhatDrawsThere) {
    ImageHandle target(createImage(8, 8, 0, 32, NoColorGiven));
    const ImageBuffer narrow{ImageType, 4, 2, 3, 32, {}};  // the block's own pitch
    ASSERT_EQ(drawTarget().target, target.get());
    ASSERT_EQ(load(rawDump(&narrow, 32), target.get()), LoadResult::Ok);
    EXPECT_EQ(target->width, 2);
    EXPECT_EQ(std::pair(drawTarget().clipRect.width, drawTarget().clipRect.height),
              std::pair(2, 3));

    Bytes dump = {0xFE, 0xA8, 0x0F, 0, 0};  // 4008 bytes: one row and two pixels
    dump.resize(5 + 4008, 0x5A);
    Screen* screen = activeScreen();
    gfxtest::clearDirtyRows();
    ASSERT_EQ(load(dump, nullptr), LoadResult::Ok);
    // Past the dump the page stays cleared to 0xFF000000: blue byte 0.
    EXPECT_EQ(std::tuple(screen->pages[0][0], screen->pages[0][4007], screen->pages[0][4008]),
              std::tuple(0x5A, 0x5A, 0x00));
    EXPECT_EQ(gfxtest::dirtyRowRanges(), "0-1");
    EXPECT_EQ(screen->lockCount, 0);
}

}  // namespace
