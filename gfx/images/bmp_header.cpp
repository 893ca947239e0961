#include "gfx/bmp_header.hpp"

#include <algorithm>
#include <array>
#include <limits>

#include "gfx/images/checked_size.hpp"

namespace gfx {
namespace {

constexpr std::uint16_t BitmapSignature = 0x4D42;  // "BM"
constexpr std::uint32_t FileHeaderSize = 14;
constexpr std::uint32_t CoreHeaderSize = 12;

bool supportedBitCount(std::uint16_t bits) {
    constexpr std::array<std::uint16_t, 7> Supported{1, 2, 4, 8, 16, 24, 32};
    return std::find(Supported.begin(), Supported.end(), bits) != Supported.end();
}

bool readInfoFields(FileReader& file, BitmapHeader& header) {
    if (header.headerSize == CoreHeaderSize) {
        std::uint16_t width = 0;
        std::uint16_t height = 0;
        if (!file.readU16(width) || !file.readU16(height) || !file.readU16(header.planes) ||
            !file.readU16(header.bitCount)) {
            return false;
        }
        header.width = width;
        header.height = height;
        return true;
    }
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (!file.readU32(width) || !file.readU32(height) || !file.readU16(header.planes) ||
        !file.readU16(header.bitCount)) {
        return false;
    }
    header.width = static_cast<std::int32_t>(width);
    header.height = static_cast<std::int32_t>(height);
    if (header.headerSize >= 20 && !file.readU32(header.compression)) return false;
    std::uint32_t imageSize = 0;
    if (header.headerSize >= 24 && !file.readU32(imageSize)) return false;
    // The 52- and 56-byte forms carry their masks where the larger headers do.
    const bool masksFollow =
        header.headerSize == 52 || header.headerSize == 56 || header.headerSize >= 108;
    if (!masksFollow) return true;
    if (!file.skip(16)) return false;
    const std::size_t count = header.headerSize == 52 ? 3 : 4;
    for (std::size_t i = 0; i < count; ++i) {
        if (!file.readU32(header.headerMasks[i])) return false;
    }
    header.masksInHeader = true;
    return true;
}

}  // namespace

std::uint32_t colorTableEntries(const BitmapHeader& header) {
    return header.bitCount <= 8 ? (1u << header.bitCount) : 0u;
}

std::uint32_t colorTableEntrySize(const BitmapHeader& header) {
    return header.headerSize == CoreHeaderSize ? 3u : 4u;
}

std::uint64_t rowDataSize(const BitmapHeader& header) {
    // A width and bit count from the header cannot pass 2^31 * 32.
    return checkedMad(header.width, header.bitCount, 7).value_or(0) / 8;
}

std::uint64_t storedRowSize(const BitmapHeader& header) {
    return (rowDataSize(header) + 3) & ~3ull;
}

LoadResult readBitmapHeader(FileReader& file, BitmapHeader& header) {
    header = BitmapHeader{};
    std::uint16_t signature = 0;
    std::uint32_t fileSize = 0;
    std::uint32_t reserved = 0;
    std::uint32_t pixelOffset = 0;
    if (!file.readU16(signature) || !file.readU32(fileSize) || !file.readU32(reserved) ||
        !file.readU32(pixelOffset) || !file.readU32(header.headerSize)) {
        return LoadResult::BadFile;
    }
    if (signature != BitmapSignature) return LoadResult::BadFile;
    if (header.headerSize < 16 && header.headerSize != CoreHeaderSize) return LoadResult::BadFile;
    // A header larger than the file cannot be real.
    std::uint64_t headersEnd = 0;
    if (!madFits(header.headerSize, 1, FileHeaderSize, file.size(), headersEnd)) {
        return LoadResult::BadFile;
    }
    if (!readInfoFields(file, header)) return LoadResult::BadFile;

    if (header.planes > 1 || header.width <= 0 || header.height == 0 ||
        header.compression > CompressionBitfields) {
        return LoadResult::BadFile;
    }
    if (header.height < 0) {
        const bool rowsMayFlip =
            header.compression == CompressionNone || header.compression == CompressionBitfields;
        if (!rowsMayFlip || header.height == std::numeric_limits<std::int32_t>::min()) {
            return LoadResult::BadFile;
        }
        header.height = -header.height;
        header.topDown = true;
    }
    if (!supportedBitCount(header.bitCount)) return LoadResult::BadFile;
    // Run-length data only comes as 8-bit or 4-bit indices.
    if (header.compression == CompressionRle8 && header.bitCount != 8) return LoadResult::BadFile;
    if (header.compression == CompressionRle4 && header.bitCount != 4) return LoadResult::BadFile;

    header.pixelOffset = pixelOffset;
    if (header.pixelOffset == 0) {
        header.pixelOffset = checkedMad(colorTableEntries(header), colorTableEntrySize(header),
                                        FileHeaderSize + std::int64_t{header.headerSize})
                                 .value_or(UINT64_MAX);
    }
    return LoadResult::Ok;
}

LoadResult inspectBitmapFile(const char* path, BitmapHeader& header) {
    FileReader file(path);
    if (!file.isOpen()) return LoadResult::CannotOpen;
    return readBitmapHeader(file, header);
}

}  // namespace gfx
