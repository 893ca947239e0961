#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "gfx/image.hpp"
#include "gfx/screen.hpp"
#include "tests/gfx/image_test_support.hpp"
#include "tests/gfx/recording_driver.hpp"
#include "tests/gfx/screen_pixels.hpp"

namespace {

using namespace gfx;
using namespace imagetest;
using Bytes = std::vector<std::uint8_t>;
using Masks = std::array<std::uint32_t, 4>;

constexpr Masks Rgb565{0xF800u, 0x07E0u, 0x001Fu, 0u};
constexpr Masks Rgb555{0x7C00u, 0x03E0u, 0x001Fu, 0u};
constexpr Masks Argb8888{0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};

// A channel widened to 8 bits: wider ones keep their top 8 bits, 4 to 8 bits
// repeat their top bits below, narrower ones are only shifted up.
std::uint32_t widened(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) return 0;
    const int bits = std::popcount(mask);
    const std::uint32_t v = (pixel & mask) >> std::countr_zero(mask);
    if (bits > 8) return v >> (bits - 8);
    return ((v << (8 - bits)) | (bits >= 4 ? v >> (2 * bits - 8) : 0)) & 0xFF;
}

std::uint32_t expectedColor(const BitmapForm& form, const StoredPicture& picture,
                            std::uint32_t value) {
    if (form.bitCount <= 8) return 0xFF000000u | picture.palette[value];
    Masks masks = form.compression == 3 ? form.masks : form.bitCount == 16 ? Rgb555 : Argb8888;
    // Only the larger headers carry an alpha mask.
    if (form.compression == 3 && form.headerSize != 56 && form.headerSize < 108) masks[3] = 0;
    const std::uint32_t alpha = form.bitCount == 32 ? widened(value, masks[3]) : 0xFF;
    return (alpha << 24) | (widened(value, masks[0]) << 16) | (widened(value, masks[1]) << 8) |
           widened(value, masks[2]);
}

StoredPicture randomPicture(const BitmapForm& form, std::int32_t width, std::int32_t height,
                            std::uint32_t seed) {
    std::mt19937 random(seed);
    StoredPicture picture{width, height,
                          std::vector<std::uint32_t>(std::size_t{1} * width * height),
                          std::vector<std::uint32_t>(form.bitCount <= 8 ? 1u << form.bitCount : 0)};
    const std::uint32_t valueMask = form.bitCount >= 32 ? 0xFFFFFFFFu : (1u << form.bitCount) - 1u;
    for (std::uint32_t& entry : picture.palette) entry = random() & 0xFFFFFFu;
    for (std::uint32_t& value : picture.values) value = random() & valueMask;
    return picture;
}

// One row per way the loader finds the header fields, colour table and masks:
// header size, bits, compression, top-down, masks, no offset.
const std::pair<const char*, BitmapForm> Forms[] = {
    {"core4NoOffset", {12, 4, 0, false, {}, true}},
    {"core24", {12, 24}},
    {"short16header24", {16, 24}},
    {"info1", {40, 1}},
    {"info4", {40, 4}},
    {"info16", {40, 16}},
    {"info24", {40, 24}},
    {"info32", {40, 32}},
    {"info24TopDown", {40, 24, 0, true}},
    {"info16Fields565", {40, 16, 3, false, Rgb565}},
    {"info32FieldsTopDownNoAlpha", {40, 32, 3, true, Argb8888}},
    {"v2_16Fields565", {52, 16, 3, false, Rgb565}},
    {"v3_32FieldsAlpha", {56, 32, 3, false, Argb8888}},
    {"os2_16Fields", {64, 16, 3, false, Rgb565}},
    {"v4_32Fields10bit", {108, 32, 3, false, {0x3FF00000u, 0x000FFC00u, 0x3FFu, 0xC0000000u}}},
    {"v4_16Fields4444", {108, 16, 3, false, {0x0F00u, 0x00F0u, 0x000Fu, 0xF000u}}},
    {"v5_16Fields332", {124, 16, 3, false, {0xE0u, 0x1Cu, 0x3u, 0u}}},
    {"v5_8", {124, 8}}};

// The picture where it overlaps the image, the mask everywhere else (only
// the mask for an empty picture) and in the row the file lacked, if any.
void expectPictureIn(const ImageBuffer* image, const BitmapForm& form, const StoredPicture& picture,
                     const std::string& name, std::int32_t missingRow = -1) {
    for (std::int32_t y = 0; y < image->height; ++y) {
        for (std::int32_t x = 0; x < image->width; ++x) {
            const bool inside = x < picture.width && y < picture.height && y != missingRow;
            ASSERT_EQ(pixelAt(image, x, y),
                      inside ? expectedColor(form, picture, picture.at(x, y)) : MaskColor)
                << name << " at " << x << "," << y;
        }
    }
}

LoadResult load(const Bytes& bytes, ImageBuffer* target, std::uint32_t* palette = nullptr) {
    return loadImageFromMemory(bytes, target, palette);
}

// On the recording back end, so palette calls and locks can be counted.
class BitmapTest : public gfxtest::OpenRecordingScreenTest<> {
  protected:
    void SetUp() override {
        OpenRecordingScreenTest::SetUp();
        std::filesystem::create_directories(dir);
        image.reset(createImage(16, 16, 0, 0, NoColorGiven));
        gfxtest::Rec::paletteCalls = 0;
    }
    void TearDown() override {
        failNextAllocations(0);
        OpenRecordingScreenTest::TearDown();
        std::filesystem::remove_all(dir);
    }
    static void writeFile(const std::string& name, const Bytes& bytes) {
        std::ofstream(name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    // This process's own folder, so parallel test runs do not meet.
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("lettermoor-bmp-" + std::to_string(::getpid()));
    const std::string path = (dir / "picture.bmp").string();
    ImageHandle image;
};

// A 16-bit image takes packed colours, a palette image indices only.
TEST_F(BitmapTest, ColourTableGoesToTheScreenPaletteOrTheCallersAndPixelsToTheTargetDepth) {
    Screen* screen = activeScreen();
    screen->shownPalette[2] = 0x00ABCDEFu;
    const BitmapForm form{40, 1};
    ASSERT_EQ(load(encodeBitmap(form, {2, 1, {1, 0}, {0x102030u, 0x405060u}}), nullptr),
              LoadResult::Ok);
    // Entries are 0x00BBGGRR; a 1-bit table leaves the rest alone. Loading
    // into the screen marks every row; the driver hears all 256 under one lock.
    EXPECT_EQ(std::vector(screen->shownPalette.begin(), screen->shownPalette.begin() + 3),
              (std::vector<std::uint32_t>{0x00302010u, 0x00605040u, 0x00ABCDEFu}));
    EXPECT_EQ(std::pair(gfxtest::screenPixel(0, 0), gfxtest::screenPixel(1, 0)),
              std::pair(0xFF405060u, 0xFF102030u));
    EXPECT_EQ(std::tuple(gfxtest::dirtyRowRanges(), gfxtest::Rec::paletteCalls, screen->lockCount),
              std::tuple("0-599", 256, 0));
    EXPECT_EQ(gfxtest::driverLog(), (std::vector<std::string>{"Rec:lock", "Rec:unlock"}));

    gfxtest::clearDirtyRows();
    const auto before = screen->shownPalette;
    std::vector<std::uint32_t> palette(3, 0xDEADBEEFu);
    ImageHandle indexed(createImage(4, 4, 0, 8, NoColorGiven));
    ASSERT_EQ(load(encodeBitmap(form, {2, 1, {0, 1}, {0xA0B0C0u, 0xD0E0F0u}}), indexed.get(),
                   palette.data()),
              LoadResult::Ok);
    EXPECT_EQ(palette, (std::vector<std::uint32_t>{0xC0B0A0u, 0xF0E0D0u, 0xDEADBEEFu}));
    EXPECT_EQ(screen->shownPalette, before);
    EXPECT_EQ(std::tuple(pixelAt(indexed.get(), 1, 0), gfxtest::dirtyRowRanges()),
              std::tuple(1u, ""));

    const Bytes direct = encodeBitmap({}, {2, 1, {0xFF8040u, 0x0000FFu}, {}});
    ImageHandle sixteen(createImage(4, 4, 0, 16, NoColorGiven));
    ASSERT_EQ(load(direct, sixteen.get()), LoadResult::Ok);
    EXPECT_EQ(std::pair(pixelAt(sixteen.get(), 0, 0), pixelAt(sixteen.get(), 2, 0)),
              std::pair(0xFC08u, 0xF81Fu));
    EXPECT_EQ(load(direct, indexed.get()), LoadResult::BadCall);
    EXPECT_EQ(pixelAt(indexed.get(), 1, 0), 1u);
}

Bytes patched(Bytes file, std::size_t at, std::uint32_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return file;
}

// Crashes are the fuzz target's to find; here each way of refusing once,
// and loads that lack a file, memory or a screen.
TEST_F(BitmapTest, RefusedLoadsSayWhyAndLeaveTheTargetUntouched) {
    BitmapForm form{40, 8};
    const Bytes good = encodeBitmap(form, randomPicture(form, 4, 4, 12));
    form.bitCount = 32;
    const Bytes deep = encodeBitmap(form, randomPicture(form, 2, 2, 13));
    const std::pair<const char*, Bytes> cases[] = {
        {"two planes", patched(good, 26, 2, 2)},
        {"zero height", patched(good, 22, 0)},
        {"zero width", patched(good, 18, 0)},
        {"compression 4", patched(good, 30, 4)},
        {"header size 14", patched(good, 14, 14)},
        {"huge header size", patched(good, 14, 0xFFFFFFF0u)},
        {"top-down run length", patched(patched(good, 30, 1), 22, 0xFFFFFFFCu)},
        {"bit count 3", patched(good, 28, 3, 2)},
        {"RLE4 with 8 bits", patched(good, 30, 2)},
        {"lowest height", patched(good, 22, 0x80000000u)},
        {"not BM", patched(good, 0, 'B' | ('A' << 8), 2)},
        {"unknown marker", patched(good, 0, 'X', 1)},
        // Sizes no file of a few dozen bytes can hold: refused before allocating.
        {"8 GiB row", patched(deep, 18, 0x7FFFFFFFu)},
        {"two billion rows", patched(deep, 22, 0x7FFFFFFFu)}};
    Screen* screen = activeScreen();
    const auto palette = screen->shownPalette;
    for (const auto& [name, bytes] : cases) {
        EXPECT_EQ(load(bytes, image.get()), LoadResult::BadFile) << name;
    }
    EXPECT_EQ(screen->shownPalette, palette);
    // Pixel data that are not there, found under the lock: the colour table may stay.
    EXPECT_EQ(load(patched(good, 10, 0xFFFFFFF0u), image.get()), LoadResult::BadFile);
    EXPECT_EQ(loadImage((dir / "absent.bmp").string(), image.get(), nullptr),
              LoadResult::CannotOpen);
    failNextAllocations(1);
    EXPECT_EQ(load(good, image.get()), LoadResult::NoMemory);
    EXPECT_EQ(screen->lockCount, 0);
    failNextAllocations(0);
    std::string name = (dir / "").string();
    name += std::string(259 - name.size(), 'n');
    writeFile(name, good);
    // Bytes beyond the 259th do not belong to the name.
    EXPECT_EQ(loadImage(name + "tail", nullptr, nullptr), LoadResult::Ok);
    closeScreen();  // an image needs the screen too
    EXPECT_EQ(load(good, image.get()), LoadResult::BadCall);
    EXPECT_EQ(loadImage(name, nullptr, nullptr), LoadResult::BadCall);
    expectPictureIn(image.get(), {}, {}, "untouched target");
}

// Cut anywhere, a file is refused until it is whole (sub-byte rows may lose
// the last row's padding), and its bytes in memory load exactly as the file
// does. Whole, it loads pixel for pixel, cut to the image at both edges;
// short of its last stored row, it keeps the rows before.
TEST_F(BitmapTest, EveryFormLoadsWholeFilesOnlyAndMemoryLikeTheFile) {
    std::uint32_t seed = 1;
    for (const auto& [name, form] : Forms) {
        // 17 pixels: a 1-bit row's last byte holds a single pixel.
        const StoredPicture picture = randomPicture(form, 17, 7, seed++);
        const auto file = encodeBitmap(form, picture);
        const std::size_t rowBytes = (17u * form.bitCount + 7) / 8,
                          paddedRow = (rowBytes + 3) / 4 * 4;
        const std::size_t whole =
            form.bitCount < 8 ? file.size() - (4 - rowBytes % 4) % 4 : file.size();
        for (std::size_t n = 0; n <= file.size(); ++n) {
            const Bytes bytes(file.begin(), file.begin() + static_cast<long>(n));
            ImageHandle fromFile(createImage(11, 5, 0, 0, NoColorGiven));
            ImageHandle fromMemory(createImage(11, 5, 0, 0, NoColorGiven));
            writeFile(path, bytes);
            const LoadResult r = loadImage(path, fromFile.get(), nullptr);
            ASSERT_EQ(r, n >= whole ? LoadResult::Ok : LoadResult::BadFile) << name << " " << n;
            ASSERT_EQ(load(bytes, fromMemory.get()), r) << name << " cut at " << n;
            ASSERT_EQ(std::memcmp(fromFile.get(), fromMemory.get(), 32 + 48 * 5), 0)
                << name << " cut at " << n;
            // Without the last stored row, the rows converted before it stay.
            if (n == whole || n + paddedRow == file.size()) {
                const bool lacksTopRow = n < whole && !form.topDown;
                expectPictureIn(fromFile.get(), form, picture, name, lacksTopRow ? 0 : -1);
            }
        }
    }
}

// Rows top first: a palette index in hex per pixel, '.' where the target
// keeps its mask. Colour table entry i is grey i * 0x11 (repeating past 15).
TEST_F(BitmapTest, RunLengthRunsEscapesAndSkippedPixels) {
    // Bottom row: a run of three; a delta up one row and right two; a run of
    // two; end of line; top row: an absolute run of three, padded.
    const Bytes rle8{3, 1, 0, 2, 2, 1, 2, 2, 0, 0, 0, 3, 3, 4, 5, 0, 0, 1};
    const Bytes cut(rle8.begin(), rle8.end() - 4);
    // Nibbles alternate, an absolute run of five takes three bytes and a pad,
    // and a run past the row end is dropped.
    const Bytes rle4{3, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 9, 0xFF, 0, 1};
    // What, the bits per pixel, the stream, the result, the rows.
    const std::tuple<const char*, std::uint16_t, Bytes, LoadResult, std::vector<std::string>>
        cases[] = {{"8-bit", 8, rle8, LoadResult::Ok, {"345.....", ".....22.", "111....."}},
                   {"8-bit cut in a run",
                    8,
                    cut,
                    LoadResult::BadFile,
                    {"34......", ".....22.", "111....."}},
                   {"4-bit", 4, rle4, LoadResult::Ok, {"12134567F"}}};
    for (const auto& [name, bits, stream, result, rows] : cases) {
        const auto width = static_cast<std::int32_t>(rows[0].size());
        const auto height = static_cast<std::int32_t>(rows.size());
        StoredPicture blank{width, height, std::vector<std::uint32_t>(width * rows.size()), {}};
        for (std::uint32_t i = 0; i < (1u << bits); ++i) {
            blank.palette.push_back(i % 16 * 0x111111u);
        }
        auto file = encodeBitmap({40, bits, bits == 8 ? 1u : 2u}, blank);
        file.resize(14 + 40 + 4 * blank.palette.size());
        file.insert(file.end(), stream.begin(), stream.end());
        ImageHandle target(createImage(10, 4, 0, 0, NoColorGiven));
        ASSERT_EQ(load(file, target.get()), result) << name;
        // Onto the screen the picture is decoded apart and then put: the put
        // must keep the screen's pixels where the stream skipped.
        gfxtest::fillScreen(MaskColor);
        ASSERT_EQ(load(file, nullptr), result) << name;
        for (std::int32_t y = 0; y < 4; ++y) {
            for (std::int32_t x = 0; x < 10; ++x) {
                const char k = y < height && x < width ? rows[y][x] : '.';
                const std::uint32_t want =
                    k == '.' ? MaskColor
                             : 0xFF000000u | std::stoul(std::string(1, k), nullptr, 16) * 0x111111u;
                // In the image, then on the screen.
                EXPECT_EQ(std::pair(pixelAt(target.get(), x, y), gfxtest::screenPixel(x, y)),
                          std::pair(want, want))
                    << name << " at " << x << "," << y;
            }
        }
    }
}

}  // namespace
