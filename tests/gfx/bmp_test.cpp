#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "gfx/aligned_block.hpp"
#include "gfx/image.hpp"
#include "gfx/screen.hpp"
#include "tests/gfx/image_test_support.hpp"
#include "tests/gfx/recording_driver.hpp"

namespace {

using gfx::ImageHandle;
using gfx::LoadResult;
using imagetest::BitmapForm;
using imagetest::pixelAt;
using imagetest::StoredPicture;

constexpr std::uint32_t Mask = 0xFFFF00FFu;

// A channel of `mask` taken from `pixel` and widened to 8 bits: more than 8
// bits keep their top 8, 4 to 8 bits repeat their top bits below, fewer than
// 4 are shifted up only.
std::uint32_t expectedChannel(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) return 0;
    int low = 0;
    while (((mask >> low) & 1u) == 0) ++low;
    int high = 31;
    while (((mask >> high) & 1u) == 0) --high;
    const int bits = high - low + 1;
    const std::uint32_t v = (pixel & mask) >> low;
    if (bits > 8) return v >> (bits - 8);
    std::uint32_t out = v << (8 - bits);
    if (bits >= 4) out |= v >> (bits - (8 - bits));
    return out & 0xFF;
}

std::array<std::uint32_t, 4> effectiveMasks(const BitmapForm& form) {
    if (form.compression == 3) {
        auto masks = form.masks;
        const bool alphaInHeader = form.headerSize == 56 || form.headerSize >= 108;
        if (!alphaInHeader) masks[3] = 0;
        return masks;
    }
    if (form.bitCount <= 16) return {0x7C00u, 0x03E0u, 0x001Fu, 0u};
    return {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};
}

std::uint32_t expectedColor(const BitmapForm& form, const StoredPicture& picture,
                            std::uint32_t value) {
    if (form.bitCount <= 8) return 0xFF000000u | picture.palette[value];
    const auto masks = effectiveMasks(form);
    std::uint32_t alpha = 0xFF;
    if (form.bitCount == 32) alpha = masks[3] != 0 ? expectedChannel(value, masks[3]) : 0;
    return (alpha << 24) | (expectedChannel(value, masks[0]) << 16) |
           (expectedChannel(value, masks[1]) << 8) | expectedChannel(value, masks[2]);
}

StoredPicture randomPicture(const BitmapForm& form, std::int32_t width, std::int32_t height,
                            std::uint32_t seed) {
    std::mt19937 random(seed);
    StoredPicture picture{width, height, {}, {}};
    const std::uint32_t valueMask = form.bitCount >= 32 ? 0xFFFFFFFFu : (1u << form.bitCount) - 1u;
    if (form.bitCount <= 8) {
        for (std::uint32_t i = 0; i < (1u << form.bitCount); ++i) {
            picture.palette.push_back(random() & 0xFFFFFFu);
        }
    }
    std::uint32_t value = random() & valueMask;
    for (std::int32_t i = 0; i < width * height; ++i) {
        // Runs of equal pixels, so run-length forms use both kinds of run.
        if (random() % 3 != 0) value = random() & valueMask;
        picture.values.push_back(value);
    }
    return picture;
}

class BitmapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        imagetest::openNullScreen();
        image.reset(gfx::createImage(600, 600, 0, 0, gfx::NoColorGiven));
        ASSERT_NE(image, nullptr);
    }
    void TearDown() override {
        image.reset();
        gfx::failNextAllocations(0);
        gfx::closeScreen();
        gfx::presetDriverName(nullptr);
    }

    LoadResult load(const std::vector<std::uint8_t>& bytes, gfx::ImageBuffer* target,
                    std::uint32_t* palette = nullptr) {
        imagetest::writeFile(path, bytes);
        return gfx::loadImage(path, target, palette);
    }

    bool onlyMask() const {
        for (std::int32_t y = 0; y < image->height; ++y) {
            for (std::int32_t x = 0; x < image->width; ++x) {
                if (pixelAt(image.get(), x, y) != Mask) return false;
            }
        }
        return true;
    }

    imagetest::TempDir dir;
    std::string path = dir.file("picture.bmp");
    ImageHandle image;
};

struct FormCase {
    const char* name;
    BitmapForm form;
};

const std::vector<FormCase>& allForms() {
    static const std::vector<FormCase> forms = [] {
        std::vector<FormCase> f;
        auto add = [&f](const char* name, std::uint32_t header, std::uint16_t bits,
                        std::uint32_t compression = 0, bool topDown = false,
                        std::array<std::uint32_t, 4> masks = {}) {
            BitmapForm form;
            form.headerSize = header;
            form.bitCount = bits;
            form.compression = compression;
            form.topDown = topDown;
            form.masks = masks;
            f.push_back({name, form});
        };
        const std::array<std::uint32_t, 4> rgb565{0xF800u, 0x07E0u, 0x001Fu, 0u};
        const std::array<std::uint32_t, 4> argb8888{0x00FF0000u, 0x0000FF00u, 0x000000FFu,
                                                    0xFF000000u};
        add("core1", 12, 1);
        add("core4", 12, 4);
        add("core8", 12, 8);
        add("core24", 12, 24);
        add("short16header24", 16, 24);
        add("info1", 40, 1);
        add("info2", 40, 2);
        add("info4", 40, 4);
        add("info8", 40, 8);
        add("info16", 40, 16);
        add("info24", 40, 24);
        add("info32", 40, 32);
        add("info8TopDown", 40, 8, 0, true);
        add("info24TopDown", 40, 24, 0, true);
        add("info32TopDown", 40, 32, 0, true);
        add("info16Fields565", 40, 16, 3, false, rgb565);
        add("info32FieldsNoAlpha", 40, 32, 3, false, argb8888);
        add("info32FieldsTopDown", 40, 32, 3, true, argb8888);
        add("v2_16Fields565", 52, 16, 3, false, rgb565);
        add("v3_32FieldsAlpha", 56, 32, 3, false, argb8888);
        add("os2_24", 64, 24);
        add("os2_16Fields", 64, 16, 3, false, rgb565);
        add("v4_32Fields10bit", 108, 32, 3, false,
            {0x3FF00000u, 0x000FFC00u, 0x000003FFu, 0xC0000000u});
        add("v4_16Fields4444", 108, 16, 3, false, {0x0F00u, 0x00F0u, 0x000Fu, 0xF000u});
        add("v5_16Fields332", 124, 16, 3, false, {0x00E0u, 0x001Cu, 0x0003u, 0u});
        add("v5_24", 124, 24);
        add("v5_8", 124, 8);
        add("rle8", 40, 8, 1);
        add("rle4", 40, 4, 2);
        return f;
    }();
    return forms;
}

void expectPictureAt(const gfx::ImageBuffer* image, const BitmapForm& form,
                     const StoredPicture& picture, const char* name) {
    for (std::int32_t y = 0; y < picture.height; ++y) {
        for (std::int32_t x = 0; x < picture.width; ++x) {
            ASSERT_EQ(pixelAt(image, x, y), expectedColor(form, picture, picture.at(x, y)))
                << name << " at " << x << "," << y;
        }
    }
    EXPECT_EQ(pixelAt(image, picture.width, 0), Mask) << name;
    EXPECT_EQ(pixelAt(image, 0, picture.height), Mask) << name;
}

TEST_F(BitmapTest, EveryFormRoundTripsPixelForPixel) {
    std::uint32_t seed = 1;
    for (const FormCase& c : allForms()) {
        for (std::int32_t width : {1, 9, 13}) {
            const StoredPicture picture = randomPicture(c.form, width, 7, seed++);
            image.reset(gfx::createImage(600, 600, 0, 0, gfx::NoColorGiven));
            ASSERT_EQ(load(imagetest::encodeBitmap(c.form, picture), image.get()), LoadResult::Ok)
                << c.name << " width " << width;
            expectPictureAt(image.get(), c.form, picture, c.name);
        }
    }
}

TEST_F(BitmapTest, ComputedPixelOffsetIsUsedWhenTheFileGivesNone) {
    for (std::uint16_t bits : {4, 8, 24}) {
        BitmapForm form;
        form.bitCount = bits;
        form.zeroPixelOffset = true;
        const StoredPicture picture = randomPicture(form, 5, 3, bits);
        for (std::uint32_t header : {12u, 40u}) {
            form.headerSize = header;
            ASSERT_EQ(load(imagetest::encodeBitmap(form, picture), image.get()), LoadResult::Ok);
            expectPictureAt(image.get(), form, picture, "zero offset");
        }
    }
}

TEST_F(BitmapTest, BottomUpAndTopDownGiveTheSameImage) {
    BitmapForm form;
    const StoredPicture picture = randomPicture(form, 11, 6, 77);
    ASSERT_EQ(load(imagetest::encodeBitmap(form, picture), image.get()), LoadResult::Ok);
    ImageHandle topDown(gfx::createImage(600, 600, 0, 0, gfx::NoColorGiven));
    form.topDown = true;
    ASSERT_EQ(load(imagetest::encodeBitmap(form, picture), topDown.get()), LoadResult::Ok);
    EXPECT_EQ(std::memcmp(image.get(), topDown.get(), 32 + 2400u * 600), 0);
}

TEST_F(BitmapTest, LargeBitmapIsClippedToTheImage) {
    BitmapForm form;
    const StoredPicture picture = randomPicture(form, 800, 700, 5);
    ASSERT_EQ(load(imagetest::encodeBitmap(form, picture), image.get()), LoadResult::Ok);
    for (std::int32_t y = 0; y < 600; y += 7) {
        for (std::int32_t x = 0; x < 600; x += 3) {
            ASSERT_EQ(pixelAt(image.get(), x, y), 0xFF000000u | picture.at(x, y)) << x << "," << y;
        }
    }
    EXPECT_EQ(pixelAt(image.get(), 599, 599), 0xFF000000u | picture.at(599, 599));
}

TEST_F(BitmapTest, SmallBitmapLeavesTheRestMasked) {
    BitmapForm form;
    const StoredPicture picture = randomPicture(form, 100, 50, 6);
    ASSERT_EQ(load(imagetest::encodeBitmap(form, picture), image.get()), LoadResult::Ok);
    std::int32_t changed = 0;
    for (std::int32_t y = 0; y < 600; ++y) {
        for (std::int32_t x = 0; x < 600; ++x) {
            const bool inside = x < 100 && y < 50;
            if (pixelAt(image.get(), x, y) != Mask) ++changed;
            if (!inside) {
                ASSERT_EQ(pixelAt(image.get(), x, y), Mask) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(changed, 100 * 50);
}

TEST_F(BitmapTest, SubByteRowsSkipTheirPaddingAndMayEndWithoutIt) {
    for (std::uint16_t bits : {1, 4}) {
        BitmapForm form;
        form.bitCount = bits;
        const std::int32_t width = bits == 1 ? 9 : 3;
        const StoredPicture picture = randomPicture(form, width, 2, bits);
        image.reset(gfx::createImage(600, 600, 0, 0, gfx::NoColorGiven));
        auto file = imagetest::encodeBitmap(form, picture);
        // 2 pixel bytes and 2 padding bytes per row.
        ASSERT_EQ(file.size() - imagetest::pixelDataOffset(file), 8u);
        file.resize(file.size() - 2);
        ASSERT_EQ(load(file, image.get()), LoadResult::Ok) << bits;
        expectPictureAt(image.get(), form, picture, "padding");
        file.resize(file.size() - 1);
        EXPECT_EQ(load(file, image.get()), LoadResult::BadFile) << bits;
    }
}

TEST_F(BitmapTest, SixteenBitPixelsWidenTheirChannels) {
    BitmapForm form;
    form.bitCount = 16;
    const StoredPicture picture{3, 1, {0x7FFF, 0x0400, 0x0000}, {}};
    ASSERT_EQ(load(imagetest::encodeBitmap(form, picture), image.get()), LoadResult::Ok);
    EXPECT_EQ(pixelAt(image.get(), 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(pixelAt(image.get(), 1, 0), 0xFF080000u);
    EXPECT_EQ(pixelAt(image.get(), 2, 0), 0xFF000000u);
}

TEST_F(BitmapTest, ThirtyTwoBitAlphaFollowsTheAlphaMask) {
    BitmapForm form;
    form.bitCount = 32;
    const StoredPicture picture{1, 1, {0x80123456u}, {}};
    ASSERT_EQ(load(imagetest::encodeBitmap(form, picture), image.get()), LoadResult::Ok);
    EXPECT_EQ(pixelAt(image.get(), 0, 0), 0x80123456u);
    form.compression = 3;
    form.masks = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0u};
    ASSERT_EQ(load(imagetest::encodeBitmap(form, picture), image.get()), LoadResult::Ok);
    EXPECT_EQ(pixelAt(image.get(), 0, 0), 0x00123456u);
}

TEST_F(BitmapTest, IndexedBitmapReplacesTheScreenPalette) {
    gfx::Screen* screen = gfx::activeScreen();
    screen->shownPalette[2] = 0x00ABCDEFu;
    BitmapForm form;
    form.bitCount = 1;
    StoredPicture picture{2, 1, {1, 0}, {0x00102030u, 0x00405060u}};
    ASSERT_EQ(load(imagetest::encodeBitmap(form, picture), image.get()), LoadResult::Ok);
    // Entries are 0x00BBGGRR in the screen palette.
    EXPECT_EQ(screen->shownPalette[0], 0x00302010u);
    EXPECT_EQ(screen->shownPalette[1], 0x00605040u);
    EXPECT_EQ(screen->shownPalette[2], 0x00ABCDEFu);

    form.bitCount = 8;
    picture = randomPicture(form, 16, 16, 8);
    ASSERT_EQ(load(imagetest::encodeBitmap(form, picture), image.get()), LoadResult::Ok);
    for (std::size_t i = 0; i < 256; ++i) {
        const std::uint32_t rgb = picture.palette[i];
        const std::uint32_t bgr = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
        ASSERT_EQ(screen->shownPalette[i], bgr) << i;
    }
    expectPictureAt(image.get(), form, picture, "8-bit");
}

TEST_F(BitmapTest, CallerPaletteIsFilledAndScreenPaletteKept) {
    gfx::Screen* screen = gfx::activeScreen();
    const auto before = screen->shownPalette;
    BitmapForm form;
    form.bitCount = 4;
    const StoredPicture picture = randomPicture(form, 6, 2, 9);
    std::vector<std::uint32_t> palette(256, 0xDEADBEEFu);
    ASSERT_EQ(load(imagetest::encodeBitmap(form, picture), image.get(), palette.data()),
              LoadResult::Ok);
    EXPECT_EQ(screen->shownPalette, before);
    EXPECT_EQ(palette[16], 0xDEADBEEFu);
    EXPECT_EQ(palette[15], ((picture.palette[15] & 0xFF) << 16) | (picture.palette[15] & 0xFF00) |
                               (picture.palette[15] >> 16));
    expectPictureAt(image.get(), form, picture, "caller palette");
}

TEST_F(BitmapTest, SmallerTargetDepths) {
    BitmapForm form;
    const StoredPicture picture{2, 1, {0xFF8040u, 0x0000FFu}, {}};
    ImageHandle sixteen(gfx::createImage(4, 4, 0, 16, gfx::NoColorGiven));
    ASSERT_EQ(load(imagetest::encodeBitmap(form, picture), sixteen.get()), LoadResult::Ok);
    EXPECT_EQ(pixelAt(sixteen.get(), 0, 0), (0x1Fu << 11) | (0x20u << 5) | 0x08u);
    EXPECT_EQ(pixelAt(sixteen.get(), 1, 0), 0x001Fu);
    EXPECT_EQ(pixelAt(sixteen.get(), 2, 0), 0xF81Fu);

    ImageHandle indexed(gfx::createImage(4, 4, 0, 8, gfx::NoColorGiven));
    EXPECT_EQ(load(imagetest::encodeBitmap(form, picture), indexed.get()), LoadResult::BadCall);
    EXPECT_EQ(pixelAt(indexed.get(), 0, 0), 0u);
    form.bitCount = 8;
    const StoredPicture indices = randomPicture(form, 3, 2, 10);
    ASSERT_EQ(load(imagetest::encodeBitmap(form, indices), indexed.get()), LoadResult::Ok);
    EXPECT_EQ(pixelAt(indexed.get(), 2, 1), indices.at(2, 1));
}

TEST_F(BitmapTest, LoadingIntoTheScreenMarksEveryRow) {
    gfx::Screen* screen = gfx::activeScreen();
    std::fill(screen->dirtyRows.begin(), screen->dirtyRows.end(), 0);
    BitmapForm form;
    const StoredPicture picture = randomPicture(form, 4, 3, 11);
    ASSERT_EQ(load(imagetest::encodeBitmap(form, picture), image.get()), LoadResult::Ok);
    EXPECT_EQ(std::count(screen->dirtyRows.begin(), screen->dirtyRows.end(), 1), 0);
    ASSERT_EQ(load(imagetest::encodeBitmap(form, picture), nullptr), LoadResult::Ok);
    EXPECT_EQ(std::count(screen->dirtyRows.begin(), screen->dirtyRows.end(), 1), 600);
    std::uint32_t first = 0;
    std::memcpy(&first, screen->pages[0] + 4000 * 2 + 4 * 3, 4);
    EXPECT_EQ(first, 0xFF000000u | picture.at(3, 2));
    EXPECT_EQ(screen->lockCount, 0);
}

TEST_F(BitmapTest, BadHeadersLeaveTheTargetUntouched) {
    BitmapForm form;
    form.bitCount = 8;
    const auto good = imagetest::encodeBitmap(form, randomPicture(form, 4, 4, 12));
    gfx::Screen* screen = gfx::activeScreen();
    const auto palette = screen->shownPalette;
    auto patched = [&good](std::size_t at, std::uint32_t value, int bytes) {
        auto copy = good;
        for (int i = 0; i < bytes; ++i) copy[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        return copy;
    };
    const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> cases = {
        {"two planes", patched(26, 2, 2)},
        {"zero height", patched(22, 0, 4)},
        {"zero width", patched(18, 0, 4)},
        {"negative width", patched(18, 0xFFFFFFFFu, 4)},
        {"compression 4", patched(30, 4, 4)},
        {"header size 14", patched(14, 14, 4)},
        {"header size 0", patched(14, 0, 4)},
        {"huge header size", patched(14, 0xFFFFFFF0u, 4)},
        {"top-down run length", patched(30, 1, 4)},  // height patched below
        {"bit count 3", patched(28, 3, 2)},
        {"bit count 0", patched(28, 0, 2)},
        {"bit count 64", patched(28, 64, 2)},
        {"RLE4 with 8 bits", patched(30, 2, 4)},
        {"lowest height", patched(22, 0x80000000u, 4)},
        {"not BM", patched(0, 'B' | ('A' << 8), 2)},
        {"unknown marker", patched(0, 'X', 1)},
        {"only the file header", std::vector<std::uint8_t>(good.begin(), good.begin() + 14)},
        {"empty", {}},
    };
    for (const auto& [name, bytes] : cases) {
        auto file = bytes;
        if (std::string(name) == "top-down run length") {
            for (int i = 0; i < 4; ++i)
                file[22 + i] = static_cast<std::uint8_t>(0xFFFFFFFCu >> (8 * i));
        }
        EXPECT_EQ(load(file, image.get()), LoadResult::BadFile) << name;
        EXPECT_EQ(screen->lockCount, 0) << name;
    }
    EXPECT_TRUE(onlyMask());
    EXPECT_EQ(screen->shownPalette, palette);
    // Pixel data that are not there: the colour table, read before, stays.
    EXPECT_EQ(load(patched(10, 0xFFFFFFF0u, 4), image.get()), LoadResult::BadFile);
    EXPECT_TRUE(onlyMask());
    EXPECT_EQ(screen->lockCount, 0);
}

TEST_F(BitmapTest, AbsurdSizesAreRefusedBeforeAllocating) {
    BitmapForm form;
    form.bitCount = 32;
    auto file = imagetest::encodeBitmap(form, randomPicture(form, 2, 2, 13));
    // A row of 8 GiB claimed by a file of a few dozen bytes.
    for (int i = 0; i < 4; ++i) file[18 + i] = static_cast<std::uint8_t>(0x7FFFFFFFu >> (8 * i));
    EXPECT_EQ(load(file, image.get()), LoadResult::BadFile);
    // Two billion rows of one pixel end at the file's end.
    file = imagetest::encodeBitmap(form, randomPicture(form, 1, 2, 14));
    for (int i = 0; i < 4; ++i) file[22 + i] = static_cast<std::uint8_t>(0x7FFFFFFFu >> (8 * i));
    EXPECT_EQ(load(file, image.get()), LoadResult::BadFile);
}

TEST_F(BitmapTest, MissingRowKeepsTheRowsAlreadyConverted) {
    BitmapForm form;
    const StoredPicture picture = randomPicture(form, 5, 4, 15);
    auto file = imagetest::encodeBitmap(form, picture);
    file.resize(file.size() - 16);  // the last stored row: image row 0
    ASSERT_EQ(load(file, image.get()), LoadResult::BadFile);
    for (std::int32_t y = 1; y < 4; ++y) {
        for (std::int32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(pixelAt(image.get(), x, y), 0xFF000000u | picture.at(x, y));
        }
    }
    for (std::int32_t x = 0; x < 5; ++x) EXPECT_EQ(pixelAt(image.get(), x, 0), Mask);
}

TEST_F(BitmapTest, EveryTruncationGivesACode) {
    for (const FormCase& c : allForms()) {
        const auto file = imagetest::encodeBitmap(c.form, randomPicture(c.form, 5, 3, 16));
        const std::uint32_t pixels = imagetest::pixelDataOffset(file);
        const bool paddingOptional =
            c.form.bitCount < 8 || c.form.compression == 1 || c.form.compression == 2;
        for (std::size_t n = 0; n < file.size(); ++n) {
            const LoadResult r =
                load(std::vector<std::uint8_t>(file.begin(), file.begin() + static_cast<long>(n)),
                     image.get());
            if (n < pixels || !paddingOptional) {
                ASSERT_EQ(r, LoadResult::BadFile) << c.name << " cut at " << n;
            } else {
                ASSERT_TRUE(r == LoadResult::BadFile || r == LoadResult::Ok) << c.name << " " << n;
            }
        }
    }
}

TEST_F(BitmapTest, RunLengthEscapesAndSkippedPixels) {
    BitmapForm form;
    form.compression = 1;
    form.bitCount = 8;
    StoredPicture table{8, 3, std::vector<std::uint32_t>(24, 0), {}};
    for (std::uint32_t i = 0; i < 256; ++i) table.palette.push_back(i * 0x010101u);
    auto file = imagetest::encodeBitmap(form, table);
    file.resize(imagetest::pixelDataOffset(file));
    const std::vector<std::uint8_t> stream = {3, 1,              // bottom row: three of index 1
                                              0, 2, 2, 1,        // delta: up one row, right two
                                              2, 2,              // two of index 2 at x 5 and 6
                                              0, 0,              // end of line
                                              0, 3, 3, 4, 5, 0,  // top row: absolute run, padded
                                              0, 1};             // end of bitmap
    file.insert(file.end(), stream.begin(), stream.end());
    ASSERT_EQ(load(file, image.get()), LoadResult::Ok);
    auto grey = [](std::uint32_t i) { return 0xFF000000u | (i * 0x010101u); };
    for (std::int32_t x = 0; x < 8; ++x) {
        EXPECT_EQ(pixelAt(image.get(), x, 2), x < 3 ? grey(1) : Mask) << x;
        EXPECT_EQ(pixelAt(image.get(), x, 1), x == 5 || x == 6 ? grey(2) : Mask) << x;
        EXPECT_EQ(pixelAt(image.get(), x, 0), x < 3 ? grey(3 + x) : Mask) << x;
    }

    // The same stream cut inside the top row: earlier rows and the part
    // decoded stay.
    file.resize(file.size() - 4);
    image.reset(gfx::createImage(600, 600, 0, 0, gfx::NoColorGiven));
    ASSERT_EQ(load(file, image.get()), LoadResult::BadFile);
    EXPECT_EQ(pixelAt(image.get(), 0, 2), grey(1));
    EXPECT_EQ(pixelAt(image.get(), 5, 1), grey(2));
    EXPECT_EQ(pixelAt(image.get(), 0, 0), grey(3));
    EXPECT_EQ(pixelAt(image.get(), 1, 0), grey(4));
    EXPECT_EQ(pixelAt(image.get(), 2, 0), Mask);
}

TEST_F(BitmapTest, RunLengthFourBitNibblesAlternate) {
    BitmapForm form;
    form.compression = 2;
    form.bitCount = 4;
    StoredPicture table{7, 1, std::vector<std::uint32_t>(7, 0), {}};
    for (std::uint32_t i = 0; i < 16; ++i) table.palette.push_back(i * 0x111111u);
    auto file = imagetest::encodeBitmap(form, table);
    file.resize(imagetest::pixelDataOffset(file));
    // Five pixels alternating 1 and 2, an absolute run 3 4 5 (two bytes),
    // then a run running past the row end, which is dropped.
    const std::vector<std::uint8_t> stream = {5, 0x12, 0, 3, 0x34, 0x50, 9, 0xFF, 0, 1};
    file.insert(file.end(), stream.begin(), stream.end());
    ASSERT_EQ(load(file, image.get()), LoadResult::Ok);
    const std::uint32_t expected[] = {1, 2, 1, 2, 1, 3, 4};
    for (std::int32_t x = 0; x < 7; ++x) {
        EXPECT_EQ(pixelAt(image.get(), x, 0), 0xFF000000u | (expected[x] * 0x111111u)) << x;
    }
    EXPECT_EQ(pixelAt(image.get(), 7, 0), Mask);
}

TEST_F(BitmapTest, FileNamesAndMissingFiles) {
    EXPECT_EQ(gfx::loadImage(dir.file("absent.bmp"), image.get(), nullptr), LoadResult::CannotOpen);
    BitmapForm form;
    const auto file = imagetest::encodeBitmap(form, randomPicture(form, 2, 2, 17));
    std::string name = dir.file("");
    name += std::string(259 - name.size(), 'n');
    imagetest::writeFile(name, file);
    // Bytes beyond the 259th are not part of the name.
    EXPECT_EQ(gfx::loadImage(name + "tail", image.get(), nullptr), LoadResult::Ok);
}

TEST_F(BitmapTest, BitmapsNeedAScreenAndMemory) {
    BitmapForm form;
    const auto file = imagetest::encodeBitmap(form, randomPicture(form, 2, 2, 18));
    gfx::failNextAllocations(1);
    EXPECT_EQ(load(file, image.get()), LoadResult::NoMemory);
    EXPECT_TRUE(onlyMask());
    EXPECT_EQ(gfx::currentScreen()->lockCount, 0);
    gfx::failNextAllocations(0);
    gfx::closeScreen();
    EXPECT_EQ(load(file, image.get()), LoadResult::BadCall);
    EXPECT_EQ(gfx::loadImage(path, nullptr, nullptr), LoadResult::BadCall);
    EXPECT_TRUE(onlyMask());
}

// The in-memory entry point reads a file's bytes exactly as the file would
// be read, whole or cut anywhere that matters.
TEST_F(BitmapTest, BytesInMemoryLoadLikeTheSameFile) {
    for (const FormCase& c : allForms()) {
        const auto file = imagetest::encodeBitmap(c.form, randomPicture(c.form, 5, 3, 19));
        const std::size_t pixels = imagetest::pixelDataOffset(file);
        for (const std::size_t n : {file.size(), file.size() - 1, pixels + 1, pixels,
                                    std::size_t{20}, std::size_t{1}, std::size_t{0}}) {
            const std::vector<std::uint8_t> bytes(file.begin(),
                                                  file.begin() + static_cast<long>(n));
            ImageHandle fromFile(gfx::createImage(8, 8, 0, 0, gfx::NoColorGiven));
            ImageHandle fromMemory(gfx::createImage(8, 8, 0, 0, gfx::NoColorGiven));
            const LoadResult expected = load(bytes, fromFile.get());
            EXPECT_EQ(gfx::loadImageFromMemory(bytes, fromMemory.get(), nullptr), expected)
                << c.name << " cut at " << n;
            for (std::int32_t y = 0; y < 8; ++y) {
                ASSERT_EQ(std::memcmp(gfx::imageRow(fromFile.get(), y),
                                      gfx::imageRow(fromMemory.get(), y), 32),
                          0)
                    << c.name << " cut at " << n << " row " << y;
            }
        }
    }
    EXPECT_EQ(gfx::loadImageFromMemory({}, image.get(), nullptr), LoadResult::BadFile);
    EXPECT_TRUE(onlyMask());
}

class BitmapDriverTest : public gfxtest::RecordingScreenTest {};

TEST_F(BitmapDriverTest, PaletteGoesToTheDriverUnderOneLock) {
    ASSERT_EQ(gfx::openScreen(1000, 600, 32, 0, 0, 0), 0);
    ImageHandle image(gfx::createImage(8, 8, 0, 0, gfx::NoColorGiven));
    imagetest::TempDir dir;
    BitmapForm form;
    form.bitCount = 4;
    const StoredPicture picture{1, 1, {3}, std::vector<std::uint32_t>(16, 0x010203u)};
    imagetest::writeFile(dir.file("p.bmp"), imagetest::encodeBitmap(form, picture));
    gfxtest::driverLog().clear();
    gfxtest::Rec::paletteCalls = 0;
    ASSERT_EQ(gfx::loadImage(dir.file("p.bmp"), image.get(), nullptr), LoadResult::Ok);
    EXPECT_EQ(gfxtest::Rec::paletteCalls, 256);
    EXPECT_EQ(gfxtest::countInLog("Rec:lock"), 1);
    EXPECT_EQ(gfxtest::countInLog("Rec:unlock"), 1);
}

}  // namespace
