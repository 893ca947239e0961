#pragma once
// The two headers at the start of a bitmap file, read and checked.

#include <array>
#include <cstdint>

#include "gfx/file_reader.hpp"
#include "gfx/image.hpp"

namespace gfx {

enum BitmapCompression : std::uint32_t {
    CompressionNone = 0,
    CompressionRle8 = 1,
    CompressionRle4 = 2,
    CompressionBitfields = 3,
};

struct BitmapHeader {
    std::uint32_t headerSize = 0;  // of the info header
    std::int32_t width = 0;
    std::int32_t height = 0;  // always positive once read
    bool topDown = false;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = CompressionNone;
    std::uint64_t pixelOffset = 0;  // resolved: never 0
    // Red, green, blue, alpha masks as the header holds them (52, 56 and
    // 108 bytes and up; a 52-byte header has no alpha mask).
    std::array<std::uint32_t, 4> headerMasks{};
    bool masksInHeader = false;
};

// Reads and checks the file header and the info header from the start of
// `file`. Ok, or BadFile for anything missing, unknown or absurd; the file is
// left just after the info header's fields that were read.
LoadResult readBitmapHeader(FileReader& file, BitmapHeader& header);

// Colour-table entries the file holds: 2^bitCount for 8 bits and less.
std::uint32_t colorTableEntries(const BitmapHeader& header);
// Bytes of one colour-table entry: 3 in the 12-byte header form, else 4.
std::uint32_t colorTableEntrySize(const BitmapHeader& header);
// Bytes one stored uncompressed row takes, padding included.
std::uint64_t storedRowSize(const BitmapHeader& header);
// Bytes of one stored uncompressed row that hold pixels (padding excluded).
std::uint64_t rowDataSize(const BitmapHeader& header);

// Header facts of a bitmap file for tools: Ok, CannotOpen or BadFile.
LoadResult inspectBitmapFile(const char* path, BitmapHeader& header);

}  // namespace gfx
