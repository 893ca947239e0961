#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
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
using imagetest::encodeBitmap;
using imagetest::pixelAt;
using imagetest::StoredPicture;
using Bytes = std::vector<std::uint8_t>;
using Masks = std::array<std::uint32_t, 4>;

constexpr std::uint32_t Mask = 0xFFFF00FFu;
constexpr Masks Rgb555{0x7C00u, 0x03E0u, 0x001Fu, 0u};
constexpr Masks Rgb565{0xF800u, 0x07E0u, 0x001Fu, 0u};
constexpr Masks Argb8888{0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};

// A channel widened to 8 bits: wider ones keep their top 8 bits, 4 to 8 bits
// repeat their top bits below, narrower ones are only shifted up.
std::uint32_t widened(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) return 0;
    int low = 0;
    while (((mask >> low) & 1u) == 0) ++low;
    int bits = 0;
    while (low + bits < 32 && ((mask >> (low + bits)) & 1u) != 0) ++bits;
    const std::uint32_t v = (pixel & mask) >> low;
    if (bits > 8) return v >> (bits - 8);
    return ((v << (8 - bits)) | (bits >= 4 ? v >> (2 * bits - 8) : 0)) & 0xFF;
}

std::uint32_t expectedColor(const BitmapForm& form, const StoredPicture& picture,
                            std::uint32_t value) {
    if (form.bitCount <= 8) return 0xFF000000u | picture.palette[value];
    Masks masks = form.masks;
    if (form.compression != 3) {
        masks = form.bitCount == 16 ? Rgb555 : Argb8888;
    } else if (form.headerSize != 56 && form.headerSize < 108) {
        masks[3] = 0;  // only the larger headers carry an alpha mask
    }
    const std::uint32_t alpha = form.bitCount == 32 ? widened(value, masks[3]) : 0xFF;
    return (alpha << 24) | (widened(value, masks[0]) << 16) | (widened(value, masks[1]) << 8) |
           widened(value, masks[2]);
}

StoredPicture randomPicture(const BitmapForm& form, std::int32_t width, std::int32_t height,
                            std::uint32_t seed) {
    std::mt19937 random(seed);
    StoredPicture picture{width, height, {}, {}};
    const std::uint32_t valueMask = form.bitCount >= 32 ? 0xFFFFFFFFu : (1u << form.bitCount) - 1u;
    for (std::uint32_t i = 0; form.bitCount <= 8 && i < (1u << form.bitCount); ++i) {
        picture.palette.push_back(random() & 0xFFFFFFu);
    }
    std::uint32_t value = random() & valueMask;
    for (std::int32_t i = 0; i < width * height; ++i) {
        // Runs of equal pixels, so run-length forms use both kinds of run.
        if (random() % 3 != 0) value = random() & valueMask;
        picture.values.push_back(value);
    }
    return picture;
}

struct FormCase {
    const char* name;
    BitmapForm form;  // header size, bits, compression, top-down, masks, planes, no offset
};

const FormCase Forms[] = {
    {"core4", {12, 4}},
    {"core24", {12, 24}},
    {"core4NoOffset", {12, 4, 0, false, {}, 1, true}},
    {"short16header24", {16, 24}},
    {"info1", {40, 1}},
    {"info2", {40, 2}},
    {"info4", {40, 4}},
    {"info8", {40, 8}},
    {"info16", {40, 16}},
    {"info24", {40, 24}},
    {"info32", {40, 32}},
    {"info24NoOffset", {40, 24, 0, false, {}, 1, true}},
    {"info24TopDown", {40, 24, 0, true}},
    {"info16Fields565", {40, 16, 3, false, Rgb565}},
    {"info32FieldsNoAlpha", {40, 32, 3, false, Argb8888}},
    {"info32FieldsTopDown", {40, 32, 3, true, Argb8888}},
    {"v2_16Fields565", {52, 16, 3, false, Rgb565}},
    {"v3_32FieldsAlpha", {56, 32, 3, false, Argb8888}},
    {"os2_24", {64, 24}},
    {"os2_16Fields", {64, 16, 3, false, Rgb565}},
    {"v4_32Fields10bit", {108, 32, 3, false, {0x3FF00000u, 0x000FFC00u, 0x3FFu, 0xC0000000u}}},
    {"v4_16Fields4444", {108, 16, 3, false, {0x0F00u, 0x00F0u, 0x000Fu, 0xF000u}}},
    {"v5_16Fields332", {124, 16, 3, false, {0x00E0u, 0x001Cu, 0x0003u, 0u}}},
    {"v5_8", {124, 8}},
    {"rle8", {40, 8, 1}},
    {"rle4", {40, 4, 2}}};

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

class BitmapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        imagetest::openNullScreen();
        freshImage();
    }
    void TearDown() override {
        image.reset();
        gfx::failNextAllocations(0);
        gfx::closeScreen();
        gfx::presetDriverName(nullptr);
    }
    void freshImage() {
        image.reset(gfx::createImage(600, 600, 0, 0, gfx::NoColorGiven));
        ASSERT_NE(image, nullptr);
    }
    LoadResult load(const Bytes& bytes, gfx::ImageBuffer* target,
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

TEST_F(BitmapTest, EveryFormRoundTripsPixelForPixel) {
    std::uint32_t seed = 1;
    for (const FormCase& c : Forms) {
        for (std::int32_t width : {1, 9, 13}) {
            const StoredPicture picture = randomPicture(c.form, width, 7, seed++);
            freshImage();
            ASSERT_EQ(load(encodeBitmap(c.form, picture), image.get()), LoadResult::Ok)
                << c.name << " width " << width;
            expectPictureAt(image.get(), c.form, picture, c.name);
        }
    }
}

TEST_F(BitmapTest, StoredWordsWidenToEightBitChannels) {
    struct Case {
        const char* name;
        BitmapForm form;
        std::uint32_t stored, expected;
    };
    const Case cases[] = {
        {"555 lowest red bit", {40, 16}, 0x0400u, 0xFF080000u},
        {"555 top red bit repeats below", {40, 16}, 0x4000u, 0xFF840000u},
        {"565 lowest red and green bits", {40, 16, 3, false, Rgb565}, 0x0820u, 0xFF080400u},
        {"332 only shifts up", {124, 16, 3, false, {0xE0u, 0x1Cu, 0x3u, 0u}}, 0xAEu, 0xFFA06080u},
        {"10-bit keeps the top 8",
         {108, 32, 3, false, {0x3FF00000u, 0xFFC00u, 0x3FFu, 0xC0000000u}},
         0xE01FFC04u,
         0xC080FF01u},
        {"32-bit keeps its alpha", {40, 32}, 0x80123456u, 0x80123456u},
        {"40-byte fields have no alpha", {40, 32, 3, false, Argb8888}, 0x80123456u, 0x00123456u}};
    for (const Case& c : cases) {
        ASSERT_EQ(load(encodeBitmap(c.form, {1, 1, {c.stored}, {}}), image.get()), LoadResult::Ok)
            << c.name;
        EXPECT_EQ(pixelAt(image.get(), 0, 0), c.expected) << c.name;
    }
}

TEST_F(BitmapTest, PictureIsCutToTheImageAndLeavesTheRestMasked) {
    const BitmapForm form;
    for (const auto& [width, height] : {std::pair{800, 700}, {100, 50}}) {
        const StoredPicture picture = randomPicture(form, width, height, 5);
        freshImage();
        ASSERT_EQ(load(encodeBitmap(form, picture), image.get()), LoadResult::Ok);
        for (std::int32_t y = 0; y < 600; ++y) {
            for (std::int32_t x = 0; x < 600; ++x) {
                const bool inside = x < width && y < height;
                ASSERT_EQ(pixelAt(image.get(), x, y),
                          inside ? 0xFF000000u | picture.at(x, y) : Mask)
                    << width << "x" << height << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(BitmapTest, ColourTableGoesToTheScreenPaletteOrTheCallers) {
    gfx::Screen* screen = gfx::activeScreen();
    screen->shownPalette[2] = 0x00ABCDEFu;
    const BitmapForm form{40, 1};
    ASSERT_EQ(load(encodeBitmap(form, {2, 1, {1, 0}, {0x102030u, 0x405060u}}), image.get()),
              LoadResult::Ok);
    // Palette entries are 0x00BBGGRR; a 1-bit table leaves the rest alone.
    EXPECT_EQ(screen->shownPalette[0], 0x00302010u);
    EXPECT_EQ(screen->shownPalette[1], 0x00605040u);
    EXPECT_EQ(screen->shownPalette[2], 0x00ABCDEFu);
    EXPECT_EQ(pixelAt(image.get(), 0, 0), 0xFF405060u);

    const auto before = screen->shownPalette;
    std::vector<std::uint32_t> palette(4, 0xDEADBEEFu);
    ASSERT_EQ(load(encodeBitmap(form, {2, 1, {0, 1}, {0xA0B0C0u, 0xD0E0F0u}}), image.get(),
                   palette.data()),
              LoadResult::Ok);
    EXPECT_EQ(palette,
              (std::vector<std::uint32_t>{0xC0B0A0u, 0xF0E0D0u, 0xDEADBEEFu, 0xDEADBEEFu}));
    EXPECT_EQ(screen->shownPalette, before);
    EXPECT_EQ(pixelAt(image.get(), 0, 0), 0xFFA0B0C0u);
}

TEST_F(BitmapTest, SmallerTargetDepths) {
    BitmapForm form;
    const StoredPicture picture{2, 1, {0xFF8040u, 0x0000FFu}, {}};
    ImageHandle sixteen(gfx::createImage(4, 4, 0, 16, gfx::NoColorGiven));
    ASSERT_EQ(load(encodeBitmap(form, picture), sixteen.get()), LoadResult::Ok);
    EXPECT_EQ(pixelAt(sixteen.get(), 0, 0), (0x1Fu << 11) | (0x20u << 5) | 0x08u);
    EXPECT_EQ(pixelAt(sixteen.get(), 1, 0), 0x001Fu);
    EXPECT_EQ(pixelAt(sixteen.get(), 2, 0), 0xF81Fu);

    // A palette image takes indices only.
    ImageHandle indexed(gfx::createImage(4, 4, 0, 8, gfx::NoColorGiven));
    EXPECT_EQ(load(encodeBitmap(form, picture), indexed.get()), LoadResult::BadCall);
    EXPECT_EQ(pixelAt(indexed.get(), 0, 0), 0u);
    form.bitCount = 8;
    const StoredPicture indices = randomPicture(form, 3, 2, 10);
    ASSERT_EQ(load(encodeBitmap(form, indices), indexed.get()), LoadResult::Ok);
    EXPECT_EQ(pixelAt(indexed.get(), 2, 1), indices.at(2, 1));
}

TEST_F(BitmapTest, LoadingIntoTheScreenMarksEveryRow) {
    gfx::Screen* screen = gfx::activeScreen();
    std::fill(screen->dirtyRows.begin(), screen->dirtyRows.end(), 0);
    const BitmapForm form;
    const StoredPicture picture = randomPicture(form, 4, 3, 11);
    ASSERT_EQ(load(encodeBitmap(form, picture), image.get()), LoadResult::Ok);
    EXPECT_EQ(std::count(screen->dirtyRows.begin(), screen->dirtyRows.end(), 1), 0);
    ASSERT_EQ(load(encodeBitmap(form, picture), nullptr), LoadResult::Ok);
    EXPECT_EQ(std::count(screen->dirtyRows.begin(), screen->dirtyRows.end(), 1), 600);
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, screen->pages[0] + 4000 * 2 + 4 * 3, 4);
    EXPECT_EQ(pixel, 0xFF000000u | picture.at(3, 2));
    EXPECT_EQ(screen->lockCount, 0);
}

TEST_F(BitmapTest, HostileHeadersAreRefusedAndLeaveTheTargetUntouched) {
    BitmapForm form{40, 8};
    const Bytes good = encodeBitmap(form, randomPicture(form, 4, 4, 12));
    form.bitCount = 32;
    const Bytes deep = encodeBitmap(form, randomPicture(form, 2, 2, 13));
    struct Patch {
        std::size_t at;
        std::uint32_t value;
        int bytes;
    };
    auto patched = [](Bytes file, std::initializer_list<Patch> patches) {
        for (const Patch& p : patches) {
            for (int i = 0; i < p.bytes; ++i)
                file[p.at + i] = static_cast<std::uint8_t>(p.value >> (8 * i));
        }
        return file;
    };
    const std::pair<const char*, Bytes> cases[] = {
        {"two planes", patched(good, {{26, 2, 2}})},
        {"zero height", patched(good, {{22, 0, 4}})},
        {"zero width", patched(good, {{18, 0, 4}})},
        {"negative width", patched(good, {{18, 0xFFFFFFFFu, 4}})},
        {"compression 4", patched(good, {{30, 4, 4}})},
        {"header size 14", patched(good, {{14, 14, 4}})},
        {"header size 0", patched(good, {{14, 0, 4}})},
        {"huge header size", patched(good, {{14, 0xFFFFFFF0u, 4}})},
        {"top-down run length", patched(good, {{30, 1, 4}, {22, 0xFFFFFFFCu, 4}})},
        {"bit count 3", patched(good, {{28, 3, 2}})},
        {"bit count 0", patched(good, {{28, 0, 2}})},
        {"bit count 64", patched(good, {{28, 64, 2}})},
        {"RLE4 with 8 bits", patched(good, {{30, 2, 4}})},
        {"lowest height", patched(good, {{22, 0x80000000u, 4}})},
        {"not BM", patched(good, {{0, 'B' | ('A' << 8), 2}})},
        {"unknown marker", patched(good, {{0, 'X', 1}})},
        {"only the file header", Bytes(good.begin(), good.begin() + 14)},
        {"empty", {}},
        // Sizes no file of a few dozen bytes can hold: refused before allocating.
        {"8 GiB row", patched(deep, {{18, 0x7FFFFFFFu, 4}})},
        {"two billion rows", patched(deep, {{22, 0x7FFFFFFFu, 4}})}};
    gfx::Screen* screen = gfx::activeScreen();
    const auto palette = screen->shownPalette;
    for (const auto& [name, bytes] : cases) {
        EXPECT_EQ(load(bytes, image.get()), LoadResult::BadFile) << name;
        EXPECT_EQ(screen->lockCount, 0) << name;
    }
    EXPECT_TRUE(onlyMask());
    EXPECT_EQ(screen->shownPalette, palette);
    // Pixel data that are not there: the colour table, read before, may stay.
    EXPECT_EQ(load(patched(good, {{10, 0xFFFFFFF0u, 4}}), image.get()), LoadResult::BadFile);
    EXPECT_TRUE(onlyMask());
    EXPECT_EQ(screen->lockCount, 0);
}

TEST_F(BitmapTest, MissingRowKeepsTheRowsAlreadyConverted) {
    const BitmapForm form;
    const StoredPicture picture = randomPicture(form, 5, 4, 15);
    auto file = encodeBitmap(form, picture);
    file.resize(file.size() - 16);  // the last stored row: image row 0
    ASSERT_EQ(load(file, image.get()), LoadResult::BadFile);
    for (std::int32_t y = 0; y < 4; ++y) {
        for (std::int32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(pixelAt(image.get(), x, y), y == 0 ? Mask : 0xFF000000u | picture.at(x, y));
        }
    }
}

// Cut anywhere, a file gives a code, and its bytes in memory load exactly as
// the file does. Only sub-byte rows may lose the last row's padding, and
// run-length data may stop anywhere after the header.
TEST_F(BitmapTest, EveryCutGivesACodeAndMemoryLoadsLikeTheFile) {
    for (const FormCase& c : Forms) {
        const StoredPicture picture = randomPicture(c.form, 5, 3, 16);
        const auto file = encodeBitmap(c.form, picture);
        const std::uint32_t pixels = imagetest::pixelDataOffset(file);
        const bool rle = c.form.compression == 1 || c.form.compression == 2;
        const std::size_t rowBytes = (5u * c.form.bitCount + 7) / 8;
        const std::size_t whole =
            c.form.bitCount < 8 && !rle ? file.size() - (4 - rowBytes % 4) % 4 : file.size();
        for (std::size_t n = 0; n <= file.size(); ++n) {
            const Bytes bytes(file.begin(), file.begin() + static_cast<long>(n));
            ImageHandle fromFile(gfx::createImage(8, 8, 0, 0, gfx::NoColorGiven));
            ImageHandle fromMemory(gfx::createImage(8, 8, 0, 0, gfx::NoColorGiven));
            const LoadResult r = load(bytes, fromFile.get());
            ASSERT_EQ(gfx::loadImageFromMemory(bytes, fromMemory.get(), nullptr), r)
                << c.name << " cut at " << n;
            ASSERT_EQ(std::memcmp(fromFile.get(), fromMemory.get(), 32 + 32 * 8), 0)
                << c.name << " cut at " << n;
            if (rle && n >= pixels && n < whole) {
                ASSERT_TRUE(r == LoadResult::BadFile || r == LoadResult::Ok) << c.name << " " << n;
            } else {
                ASSERT_EQ(r, n >= whole ? LoadResult::Ok : LoadResult::BadFile)
                    << c.name << " cut at " << n;
            }
            if (n == whole) expectPictureAt(fromFile.get(), c.form, picture, c.name);
        }
    }
    EXPECT_EQ(gfx::loadImageFromMemory({}, image.get(), nullptr), LoadResult::BadFile);
    EXPECT_TRUE(onlyMask());
}

// A run-length file of a grey colour table whose pixel data is `stream`.
Bytes runLengthFile(std::uint16_t bits, std::int32_t width, std::int32_t height,
                    const Bytes& stream) {
    StoredPicture blank{width, height, std::vector<std::uint32_t>(width * height, 0), {}};
    for (std::uint32_t i = 0; i < (1u << bits); ++i)
        blank.palette.push_back(i * (bits == 8 ? 0x010101u : 0x111111u));
    auto file = encodeBitmap({40, bits, bits == 8 ? 1u : 2u}, blank);
    file.resize(imagetest::pixelDataOffset(file));
    file.insert(file.end(), stream.begin(), stream.end());
    return file;
}

TEST_F(BitmapTest, RunLengthEscapesAndSkippedPixels) {
    auto file = runLengthFile(8, 8, 3,
                              {3, 1,              // bottom row: three of index 1
                               0, 2, 2, 1,        // delta: up one row, right two
                               2, 2,              // two of index 2 at x 5 and 6
                               0, 0,              // end of line
                               0, 3, 3, 4, 5, 0,  // top row: absolute run, padded
                               0, 1});            // end of bitmap
    ASSERT_EQ(load(file, image.get()), LoadResult::Ok);
    auto grey = [](std::uint32_t i) { return 0xFF000000u | (i * 0x010101u); };
    for (std::int32_t x = 0; x < 8; ++x) {
        EXPECT_EQ(pixelAt(image.get(), x, 2), x < 3 ? grey(1) : Mask) << x;
        EXPECT_EQ(pixelAt(image.get(), x, 1), x == 5 || x == 6 ? grey(2) : Mask) << x;
        EXPECT_EQ(pixelAt(image.get(), x, 0), x < 3 ? grey(3 + x) : Mask) << x;
    }
    // Cut inside the absolute run: earlier rows and what was decoded stay.
    file.resize(file.size() - 4);
    freshImage();
    ASSERT_EQ(load(file, image.get()), LoadResult::BadFile);
    EXPECT_EQ(pixelAt(image.get(), 0, 2), grey(1));
    EXPECT_EQ(pixelAt(image.get(), 5, 1), grey(2));
    EXPECT_EQ(pixelAt(image.get(), 1, 0), grey(4));
    EXPECT_EQ(pixelAt(image.get(), 2, 0), Mask);
}

TEST_F(BitmapTest, RunLengthFourBitNibblesAlternate) {
    // Five pixels alternating 1 and 2, an absolute run 3 4 5 (two bytes),
    // then a run past the row end, which is dropped.
    ASSERT_EQ(load(runLengthFile(4, 7, 1, {5, 0x12, 0, 3, 0x34, 0x50, 9, 0xFF, 0, 1}), image.get()),
              LoadResult::Ok);
    const std::uint32_t expected[] = {1, 2, 1, 2, 1, 3, 4};
    for (std::int32_t x = 0; x < 7; ++x) {
        EXPECT_EQ(pixelAt(image.get(), x, 0), 0xFF000000u | (expected[x] * 0x111111u)) << x;
    }
    EXPECT_EQ(pixelAt(image.get(), 7, 0), Mask);
}

TEST_F(BitmapTest, LoadingNeedsAFileAScreenAndMemory) {
    EXPECT_EQ(gfx::loadImage(dir.file("absent.bmp"), image.get(), nullptr), LoadResult::CannotOpen);
    const BitmapForm form;
    const auto file = encodeBitmap(form, randomPicture(form, 2, 2, 17));
    std::string name = dir.file("");
    name += std::string(259 - name.size(), 'n');
    imagetest::writeFile(name, file);
    // Bytes beyond the 259th do not belong to the name.
    EXPECT_EQ(gfx::loadImage(name + "tail", image.get(), nullptr), LoadResult::Ok);
    freshImage();
    gfx::failNextAllocations(1);
    EXPECT_EQ(load(file, image.get()), LoadResult::NoMemory);
    EXPECT_EQ(gfx::currentScreen()->lockCount, 0);
    gfx::failNextAllocations(0);
    gfx::closeScreen();
    EXPECT_EQ(load(file, image.get()), LoadResult::BadCall);
    EXPECT_EQ(gfx::loadImage(path, nullptr, nullptr), LoadResult::BadCall);
    EXPECT_TRUE(onlyMask());
}

class BitmapDriverTest : public gfxtest::RecordingScreenTest {};

TEST_F(BitmapDriverTest, PaletteGoesToTheDriverUnderOneLock) {
    ASSERT_EQ(gfx::openScreen(1000, 600, 32, 0, 0, 0), 0);
    ImageHandle image(gfx::createImage(8, 8, 0, 0, gfx::NoColorGiven));
    const Bytes file =
        encodeBitmap({40, 4}, {1, 1, {3}, std::vector<std::uint32_t>(16, 0x010203u)});
    gfxtest::driverLog().clear();
    gfxtest::Rec::paletteCalls = 0;
    ASSERT_EQ(gfx::loadImageFromMemory(file, image.get(), nullptr), LoadResult::Ok);
    EXPECT_EQ(gfxtest::Rec::paletteCalls, 256);
    EXPECT_EQ(gfxtest::countInLog("Rec:lock"), 1);
    EXPECT_EQ(gfxtest::countInLog("Rec:unlock"), 1);
}

}  // namespace
