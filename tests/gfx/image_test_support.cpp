#include "tests/gfx/image_test_support.hpp"

#include <cstring>

namespace imagetest {
namespace {

// Little-endian, in two or four bytes.
void put(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void set32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Stored row y, padded to four bytes; sub-byte pixels fill from the top bit.
void packRow(const BitmapForm& form, const StoredPicture& picture, std::int32_t y,
             std::vector<std::uint8_t>& out) {
    const std::size_t start = out.size();
    const std::size_t bits = form.bitCount;
    out.resize(start + (picture.width * bits + 31) / 32 * 4, 0);
    for (std::int32_t x = 0; x < picture.width; ++x) {
        const std::uint32_t v = picture.at(x, y);
        std::uint8_t* p = &out[start + x * bits / 8];
        for (std::size_t i = 0; i < bits / 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
        if (bits < 8) *p |= static_cast<std::uint8_t>(v << (8 - bits - x * bits % 8));
    }
}

}  // namespace

std::uint32_t pixelAt(const gfx::ImageBuffer* image, std::int32_t x, std::int32_t y) {
    std::uint32_t value = 0;
    const std::uint8_t* p = gfx::imageRow(image, y) + std::ptrdiff_t{x} * image->bytesPerPixel;
    std::memcpy(&value, p, static_cast<std::size_t>(image->bytesPerPixel));
    return value;
}

std::vector<std::uint8_t> encodeBitmap(const BitmapForm& form, const StoredPicture& picture) {
    std::vector<std::uint8_t> out;
    const bool core = form.headerSize == 12;
    put(out, 0x4D42, 2);
    out.resize(14);  // file size, reserved and pixel offset, patched below
    put(out, form.headerSize);
    const int sizeBytes = core ? 2 : 4;  // the core header's sizes are 16-bit
    put(out, static_cast<std::uint32_t>(picture.width), sizeBytes);
    put(out, static_cast<std::uint32_t>(form.topDown ? -picture.height : picture.height),
        sizeBytes);
    put(out, 1, 2);  // planes
    put(out, form.bitCount, 2);
    if (!core) {
        const std::size_t headerEnd = 14 + form.headerSize;
        if (form.headerSize >= 20) put(out, form.compression);
        // Image size, resolutions and colour counts, then the masks where they fit.
        while (out.size() < std::min<std::size_t>(headerEnd, 14 + 40)) out.push_back(0);
        for (std::size_t i = 0; i < 4 && out.size() + 4 <= headerEnd; ++i) put(out, form.masks[i]);
        while (out.size() < headerEnd) out.push_back(0);
    }
    if (form.bitCount <= 8) {
        for (std::uint32_t i = 0; i < (1u << form.bitCount); ++i) {
            const std::uint32_t rgb = i < picture.palette.size() ? picture.palette[i] : 0;
            for (int shift : {0, 8, 16}) out.push_back(static_cast<std::uint8_t>(rgb >> shift));
            if (!core) out.push_back(0);
        }
    } else if (form.compression == 3 && (form.headerSize < 52 || form.headerSize == 64)) {
        for (std::size_t i = 0; i < 3; ++i) put(out, form.masks[i]);
    }
    const std::size_t offset = out.size();
    for (std::int32_t i = 0; i < picture.height; ++i) {
        packRow(form, picture, form.topDown ? i : picture.height - 1 - i, out);
    }
    set32(out, 2, static_cast<std::uint32_t>(out.size()));
    set32(out, 10, form.zeroPixelOffset ? 0u : static_cast<std::uint32_t>(offset));
    return out;
}

}  // namespace imagetest
