#include "gfx/images/load_bitmap.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include "gfx/aligned_block.hpp"
#include "gfx/bmp_header.hpp"
#include "gfx/images/bmp_rle.hpp"
#include "gfx/images/bmp_rows.hpp"
#include "gfx/images/checked_size.hpp"

namespace gfx {
namespace {

using ColorTable = std::array<std::uint32_t, 256>;

bool readColorTable(FileReader& file, const BitmapHeader& header, ColorTable& table) {
    const std::uint32_t entrySize = colorTableEntrySize(header);
    for (std::uint32_t i = 0; i < colorTableEntries(header); ++i) {
        std::uint8_t bgr[4];
        if (!file.read(bgr, entrySize)) return false;
        table[i] = (static_cast<std::uint32_t>(bgr[0]) << 16) |
                   (static_cast<std::uint32_t>(bgr[1]) << 8) | bgr[2];
    }
    return true;
}

bool readChannelMasks(FileReader& file, const BitmapHeader& header, ChannelMasks& masks) {
    std::array<std::uint32_t, 4> raw{};
    if (header.compression == CompressionBitfields) {
        if (header.masksInHeader) {
            raw = header.headerMasks;
        } else if (!file.readU32(raw[0]) || !file.readU32(raw[1]) || !file.readU32(raw[2])) {
            return false;
        }
    } else if (header.bitCount <= 16) {
        raw = {0x7C00u, 0x03E0u, 0x001Fu, 0u};
    } else {
        raw = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};
    }
    for (std::size_t i = 0; i < 4; ++i) masks[i] = makeChannelMask(raw[i]);
    return true;
}

StoredPixels storedPixelsFor(std::uint16_t bitCount) {
    if (bitCount <= 8) return StoredPixels::Indexed;
    if (bitCount <= 16) return StoredPixels::Direct16;
    return bitCount <= 24 ? StoredPixels::Direct24 : StoredPixels::Direct32;
}

struct RowPlan {
    const BitmapHeader& header;
    const RowConverter& converter;
    ImageBuffer& into;
    const WrittenPixels* written;
    std::int32_t keepWidth;
    std::int32_t keepHeight;

    // Image row of the stored row with this number in file order.
    std::int32_t imageRow(std::int32_t storedRow) const {
        return header.topDown ? storedRow : header.height - 1 - storedRow;
    }

    void convert(const std::uint8_t* source, std::int32_t row, std::int32_t first,
                 std::int32_t count) const {
        convertPixels(converter, source, gfx::imageRow(&into, row), first, count);
        if (written != nullptr) {
            std::memset(written->marks + static_cast<std::ptrdiff_t>(row) * written->width + first,
                        1, static_cast<std::size_t>(count));
        }
    }
};

LoadResult readUncompressedRows(FileReader& file, const RowPlan& plan) {
    const BitmapHeader& header = plan.header;
    const std::uint64_t dataSize = rowDataSize(header);
    const std::uint64_t storedSize = storedRowSize(header);
    // A row larger than the file's pixel data can never be read: refuse it
    // before allocating for it.
    std::uint64_t rowEnd = 0;
    if (header.pixelOffset > INT64_MAX || dataSize > INT64_MAX ||
        !madFits(static_cast<std::int64_t>(dataSize), 1,
                 static_cast<std::int64_t>(header.pixelOffset), file.size(), rowEnd)) {
        return LoadResult::BadFile;
    }
    AlignedBlock stored(static_cast<std::size_t>(storedSize));
    const bool indexed = plan.converter.stored == StoredPixels::Indexed;
    const bool unpack = indexed && header.bitCount < 8;
    AlignedBlock indices;
    if (unpack) indices = AlignedBlock(static_cast<std::size_t>(plan.keepWidth));
    if (!stored || (unpack && !indices)) return LoadResult::NoMemory;
    if (!file.seek(header.pixelOffset)) return LoadResult::BadFile;

    for (std::int32_t i = 0; i < header.height; ++i) {
        if (header.bitCount < 8) {
            // Sub-byte rows fail only on missing pixel bytes, not padding.
            if (file.readUpTo(stored.get(), storedSize) < dataSize) return LoadResult::BadFile;
        } else if (!file.read(stored.get(), storedSize)) {
            return LoadResult::BadFile;
        }
        const std::int32_t row = plan.imageRow(i);
        if (row >= plan.keepHeight) continue;
        const std::uint8_t* source = stored.get();
        if (unpack) {
            unpackIndices(stored.get(), header.bitCount, indices.get(), plan.keepWidth);
            source = indices.get();
        }
        plan.convert(source, row, 0, plan.keepWidth);
    }
    return LoadResult::Ok;
}

LoadResult readRunLengthRows(FileReader& file, const RowPlan& plan) {
    const auto keep = static_cast<std::size_t>(plan.keepWidth);
    AlignedBlock indices(keep);
    AlignedBlock covered(keep);
    if (!indices || !covered) return LoadResult::NoMemory;
    if (!file.seek(plan.header.pixelOffset)) return LoadResult::BadFile;

    const RleRowBuffers buffers{indices.get(), covered.get(), plan.keepWidth};
    auto convertRow = [&plan](std::int32_t storedRow, const RleRowBuffers& row) {
        const std::int32_t imageRow = plan.imageRow(storedRow);
        if (imageRow >= plan.keepHeight) return;
        // Pixels the stream skipped keep what the image held.
        forEachMarkedRun(row.covered, row.keepWidth, [&](std::int32_t x, std::int32_t count) {
            plan.convert(row.indices, imageRow, x, count);
        });
    };
    return decodeRle(file, plan.header.bitCount, plan.header.height, buffers, convertRow);
}

}  // namespace

LoadResult readBitmapFormat(FileReader& file, BitmapFormat& format) {
    if (const LoadResult r = readBitmapHeader(file, format.header); r != LoadResult::Ok) return r;
    if (!file.seek(14 + static_cast<std::uint64_t>(format.header.headerSize))) {
        return LoadResult::BadFile;
    }
    if (!readColorTable(file, format.header, format.table)) return LoadResult::BadFile;
    format.entries = colorTableEntries(format.header);
    return LoadResult::Ok;
}

LoadResult makeRowConverter(FileReader& file, const BitmapFormat& format,
                            std::int32_t targetBytesPerPixel, const std::uint32_t* palette,
                            RowConverter& converter) {
    converter.stored = storedPixelsFor(format.header.bitCount);
    converter.targetBytesPerPixel = targetBytesPerPixel;
    converter.palette = palette;
    if (format.header.bitCount > 8) {
        if (!readChannelMasks(file, format.header, converter.masks)) return LoadResult::BadFile;
        if (targetBytesPerPixel == 1) return LoadResult::BadCall;
    }
    return LoadResult::Ok;
}

LoadResult decodeBitmapRows(FileReader& file, const BitmapFormat& format,
                            const RowConverter& converter, ImageBuffer& into,
                            const WrittenPixels* written) {
    const BitmapHeader& header = format.header;
    const RowPlan plan{header,
                       converter,
                       into,
                       written,
                       std::min(header.width, into.width),
                       std::min(header.height, into.height)};
    const bool runLength =
        header.compression == CompressionRle8 || header.compression == CompressionRle4;
    return runLength ? readRunLengthRows(file, plan) : readUncompressedRows(file, plan);
}

}  // namespace gfx
