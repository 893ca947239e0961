#include "tests/gfx/image_test_support.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>

#include "gfx/screen.hpp"

namespace imagetest {
namespace {

std::atomic<int> folderCounter{0};

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFFu);
    put16(out, v >> 16);
}
void set32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void packRow(const BitmapForm& form, const StoredPicture& picture, std::int32_t y,
             std::vector<std::uint8_t>& out) {
    const std::size_t start = out.size();
    const int bits = form.bitCount;
    std::uint32_t acc = 0;
    int used = 0;
    for (std::int32_t x = 0; x < picture.width; ++x) {
        const std::uint32_t v = picture.at(x, y);
        if (bits >= 8) {
            for (int i = 0; i < bits / 8; ++i)
                out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
            continue;
        }
        acc = (acc << bits) | v;
        used += bits;
        if (used == 8) {
            out.push_back(static_cast<std::uint8_t>(acc));
            acc = 0;
            used = 0;
        }
    }
    if (used > 0) out.push_back(static_cast<std::uint8_t>(acc << (8 - used)));
    while ((out.size() - start) % 4 != 0) out.push_back(0);
}

// Runs of equal pixels as encoded runs, the rest as absolute runs of at
// least 3 pixels, so decoding meets both; every row ends with end-of-line.
void encodeRleRow(const BitmapForm& form, const StoredPicture& picture, std::int32_t y,
                  std::vector<std::uint8_t>& out) {
    const bool four = form.bitCount == 4;
    const std::int32_t width = picture.width;
    auto at = [&](std::int32_t x) { return picture.at(x, y); };
    std::int32_t x = 0;
    while (x < width) {
        std::int32_t run = 1;
        while (x + run < width && run < 255 && at(x + run) == at(x)) ++run;
        if (run >= 2 || width - x < 3) {
            out.push_back(static_cast<std::uint8_t>(run));
            out.push_back(static_cast<std::uint8_t>(four ? (at(x) << 4) | at(x) : at(x)));
            x += run;
            continue;
        }
        std::int32_t count = 0;
        while (x + count < width && count < 255 &&
               (x + count + 1 >= width || at(x + count) != at(x + count + 1))) {
            ++count;
        }
        count = std::max(count, std::min<std::int32_t>(3, width - x));
        out.push_back(0);
        out.push_back(static_cast<std::uint8_t>(count));
        const std::size_t start = out.size();
        for (std::int32_t i = 0; i < count; ++i) {
            if (!four) {
                out.push_back(static_cast<std::uint8_t>(at(x + i)));
            } else if (i % 2 == 0) {
                out.push_back(static_cast<std::uint8_t>(at(x + i) << 4));
            } else {
                out.back() = static_cast<std::uint8_t>(out.back() | at(x + i));
            }
        }
        if ((out.size() - start) % 2 != 0) out.push_back(0);
        x += count;
    }
    put16(out, 0);
}

}  // namespace

TempDir::TempDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("lettermoor-images-" + std::to_string(::getpid()) + "-" +
             std::to_string(folderCounter.fetch_add(1)));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

void openNullScreen() {
    gfx::presetDriverName("null");
    ASSERT_EQ(gfx::openScreen(1000, 600, 32, 0, 0, 0), 0);
}

std::uint32_t pixelAt(const gfx::ImageBuffer* image, std::int32_t x, std::int32_t y) {
    std::uint32_t value = 0;
    const std::uint8_t* p = gfx::imageRow(image, y) + x * image->bytesPerPixel;
    std::memcpy(&value, p, static_cast<std::size_t>(image->bytesPerPixel));
    return value;
}

std::uint32_t pixelDataOffset(const std::vector<std::uint8_t>& file) {
    return static_cast<std::uint32_t>(file[10] | (file[11] << 8) | (file[12] << 16) |
                                      (file[13] << 24));
}

std::vector<std::uint8_t> encodeBitmap(const BitmapForm& form, const StoredPicture& picture) {
    std::vector<std::uint8_t> out;
    const bool core = form.headerSize == 12;
    put16(out, 0x4D42);
    put32(out, 0);  // file size, patched below
    put32(out, 0);
    put32(out, 0);  // pixel offset, patched below
    put32(out, form.headerSize);
    if (core) {
        put16(out, static_cast<std::uint32_t>(picture.width));
        put16(out, static_cast<std::uint32_t>(picture.height));
    } else {
        put32(out, static_cast<std::uint32_t>(picture.width));
        put32(out, static_cast<std::uint32_t>(form.topDown ? -picture.height : picture.height));
    }
    put16(out, form.planes);
    put16(out, form.bitCount);
    if (!core) {
        const std::size_t headerEnd = 14 + form.headerSize;
        if (form.headerSize >= 20) put32(out, form.compression);
        // Image size, resolutions and colour counts, then the masks where they fit.
        while (out.size() < std::min<std::size_t>(headerEnd, 14 + 40)) out.push_back(0);
        for (std::size_t i = 0; i < 4 && out.size() + 4 <= headerEnd; ++i)
            put32(out, form.masks[i]);
        while (out.size() < headerEnd) out.push_back(0);
    }
    if (form.bitCount <= 8) {
        for (std::uint32_t i = 0; i < (1u << form.bitCount); ++i) {
            const std::uint32_t rgb = i < picture.palette.size() ? picture.palette[i] : 0;
            for (int shift : {0, 8, 16}) out.push_back(static_cast<std::uint8_t>(rgb >> shift));
            if (!core) out.push_back(0);
        }
    } else if (form.compression == 3 && (form.headerSize < 52 || form.headerSize == 64)) {
        for (std::size_t i = 0; i < 3; ++i) put32(out, form.masks[i]);
    }
    const std::size_t offset = out.size();
    const bool rle = form.compression == 1 || form.compression == 2;
    for (std::int32_t i = 0; i < picture.height; ++i) {
        const std::int32_t y = form.topDown ? i : picture.height - 1 - i;
        if (rle) {
            encodeRleRow(form, picture, y, out);
        } else {
            packRow(form, picture, y, out);
        }
    }
    if (rle) put16(out, 0x0100);  // end of bitmap
    set32(out, 2, static_cast<std::uint32_t>(out.size()));
    set32(out, 10, form.zeroPixelOffset ? 0u : static_cast<std::uint32_t>(offset));
    return out;
}

}  // namespace imagetest
