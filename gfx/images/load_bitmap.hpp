#pragma once
// Decoding of the two kinds of file loadImage reads, into an image buffer.
// Nothing here touches the screen: loadImage puts the result where it goes.

#include <algorithm>
#include <array>
#include <cstdint>

#include "gfx/bmp_header.hpp"
#include "gfx/file_reader.hpp"
#include "gfx/image.hpp"
#include "gfx/images/bmp_rows.hpp"

namespace gfx {

// A bitmap's headers and colour table (entries 0x00BBGGRR).
struct BitmapFormat {
    BitmapHeader header;
    std::array<std::uint32_t, 256> table{};
    std::uint32_t entries = 0;
};

// Reads the headers and colour table of a bitmap file, from its start.
LoadResult readBitmapFormat(FileReader& file, BitmapFormat& format);

// The converter into pixels of `targetBytesPerPixel`, reading the channel
// masks that follow the headers; `palette` (256 entries) converts indices.
LoadResult makeRowConverter(FileReader& file, const BitmapFormat& format,
                            std::int32_t targetBytesPerPixel, const std::uint32_t* palette,
                            RowConverter& converter);

// Where the rows decoded into an image went: one byte per pixel of the image,
// rows `width` bytes apart, set to 1 for every pixel the file wrote.
struct WrittenPixels {
    std::uint8_t* marks = nullptr;
    std::int32_t width = 0;
};

// Calls run(first, count) for each run of nonzero bytes in marks[0..width).
template <typename Run>
void forEachMarkedRun(const std::uint8_t* marks, std::int32_t width, Run&& run) {
    const std::uint8_t* const end = marks + width;
    const auto marked = [](std::uint8_t m) { return m != 0; };
    for (auto first = std::find_if(marks, end, marked); first != end;) {
        const std::uint8_t* last = std::find(first, end, std::uint8_t{0});
        run(static_cast<std::int32_t>(first - marks), static_cast<std::int32_t>(last - first));
        first = std::find_if(last, end, marked);
    }
}

// Decodes the pixel rows into the top-left corner of `into`, cut to its size.
// Pixels the file does not write keep their values. `written`, when given,
// learns which pixels were written, also when decoding fails part way.
LoadResult decodeBitmapRows(FileReader& file, const BitmapFormat& format,
                            const RowConverter& converter, ImageBuffer& into,
                            const WrittenPixels* written);

// The data length of a raw image dump; the file stands just after its marker.
bool readDumpLength(FileReader& file, int marker, std::uint32_t& length);

// Copies a raw dump of `length` bytes over the image's block, from its header.
LoadResult dumpIntoImage(FileReader& file, std::uint32_t length, ImageBuffer& target);

}  // namespace gfx
