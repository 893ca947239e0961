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

std::vector<std::uint8_t> packRow(const BitmapForm& form, const StoredPicture& picture,
                                  std::int32_t y) {
    std::vector<std::uint8_t> row;
    const int bits = form.bitCount;
    if (bits < 8) {
        std::uint32_t acc = 0;
        int used = 0;
        for (std::int32_t x = 0; x < picture.width; ++x) {
            acc = (acc << bits) | picture.at(x, y);
            used += bits;
            if (used == 8) {
                row.push_back(static_cast<std::uint8_t>(acc));
                acc = 0;
                used = 0;
            }
        }
        if (used > 0) row.push_back(static_cast<std::uint8_t>(acc << (8 - used)));
    } else {
        for (std::int32_t x = 0; x < picture.width; ++x) {
            const std::uint32_t v = picture.at(x, y);
            for (int i = 0; i < bits / 8; ++i)
                row.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    }
    while (row.size() % 4 != 0) row.push_back(0);
    return row;
}

// Greedy run-length coding: runs of equal pixels as encoded runs, the rest
// as absolute runs of at least 3 pixels, every row closed by end-of-line.
void encodeRleRow(const BitmapForm& form, const StoredPicture& picture, std::int32_t y,
                  std::vector<std::uint8_t>& out) {
    const bool four = form.bitCount == 4;
    std::int32_t x = 0;
    while (x < picture.width) {
        std::int32_t run = 1;
        while (x + run < picture.width && run < 255 && picture.at(x + run, y) == picture.at(x, y)) {
            ++run;
        }
        if (run >= 2 || picture.width - x < 3) {
            out.push_back(static_cast<std::uint8_t>(run));
            const std::uint32_t v = picture.at(x, y);
            out.push_back(static_cast<std::uint8_t>(four ? (v << 4) | v : v));
            x += run;
            continue;
        }
        std::int32_t count = 0;
        while (x + count < picture.width && count < 255 &&
               (x + count + 1 >= picture.width ||
                picture.at(x + count, y) != picture.at(x + count + 1, y))) {
            ++count;
        }
        if (count < 3) count = std::min<std::int32_t>(3, picture.width - x);
        out.push_back(0);
        out.push_back(static_cast<std::uint8_t>(count));
        std::vector<std::uint8_t> data;
        for (std::int32_t i = 0; i < count; ++i) {
            const std::uint32_t v = picture.at(x + i, y);
            if (!four) {
                data.push_back(static_cast<std::uint8_t>(v));
            } else if (i % 2 == 0) {
                data.push_back(static_cast<std::uint8_t>(v << 4));
            } else {
                data.back() = static_cast<std::uint8_t>(data.back() | v);
            }
        }
        if (data.size() % 2 != 0) data.push_back(0);
        out.insert(out.end(), data.begin(), data.end());
        x += count;
    }
    out.push_back(0);
    out.push_back(0);
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
    const std::int32_t storedHeight = form.topDown ? -picture.height : picture.height;
    if (core) {
        put16(out, static_cast<std::uint32_t>(picture.width));
        put16(out, static_cast<std::uint32_t>(picture.height));
        put16(out, form.planes);
        put16(out, form.bitCount);
    } else {
        put32(out, static_cast<std::uint32_t>(picture.width));
        put32(out, static_cast<std::uint32_t>(storedHeight));
        put16(out, form.planes);
        put16(out, form.bitCount);
        if (form.headerSize >= 20) put32(out, form.compression);
        const std::size_t headerEnd = 14 + form.headerSize;
        // Fields between 24 and the masks: image size, resolutions, colour counts.
        while (out.size() < std::min<std::size_t>(headerEnd, 14 + 40)) out.push_back(0);
        if (form.headerSize >= 108) {
            while (out.size() < 14 + 40) out.push_back(0);
        }
        for (std::size_t i = 0; i < 4 && out.size() + 4 <= headerEnd; ++i)
            put32(out, form.masks[i]);
        while (out.size() < headerEnd) out.push_back(0);
    }
    if (form.bitCount <= 8) {
        for (std::uint32_t i = 0; i < (1u << form.bitCount); ++i) {
            const std::uint32_t rgb = i < picture.palette.size() ? picture.palette[i] : 0;
            out.push_back(static_cast<std::uint8_t>(rgb));
            out.push_back(static_cast<std::uint8_t>(rgb >> 8));
            out.push_back(static_cast<std::uint8_t>(rgb >> 16));
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
            const auto row = packRow(form, picture, y);
            out.insert(out.end(), row.begin(), row.end());
        }
    }
    if (rle) {
        out.push_back(0);
        out.push_back(1);
    }
    set32(out, 2, static_cast<std::uint32_t>(out.size()));
    set32(out, 10, form.zeroPixelOffset ? 0u : static_cast<std::uint32_t>(offset));
    return out;
}

}  // namespace imagetest
