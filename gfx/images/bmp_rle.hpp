#pragma once
// Decoding of run-length compressed bitmap rows (8-bit and 4-bit indices).

#include <cstdint>
#include <functional>

#include "gfx/file_reader.hpp"
#include "gfx/image.hpp"

namespace gfx {

// Scratch the decoder fills, one row at a time: `indices` and `covered` hold
// `keepWidth` entries; covered[x] is 1 where the stream set pixel x.
struct RleRowBuffers {
    std::uint8_t* indices = nullptr;
    std::uint8_t* covered = nullptr;
    std::int32_t keepWidth = 0;
};

// Called with the stored row number (0 = first stored, the bottom row) once
// per row the stream touched, including a partly decoded row before a failure.
using RleRowSink = std::function<void(std::int32_t storedRow, const RleRowBuffers& row)>;

// Decodes from the file's current position. Ok at the end-of-bitmap escape or
// once every row is complete; BadFile when the stream ends early or cannot
// be read. Pixels beyond keepWidth are decoded and dropped.
LoadResult decodeRle(FileReader& file, std::int32_t bitCount, std::int32_t height,
                     const RleRowBuffers& buffers, const RleRowSink& sink);

}  // namespace gfx
