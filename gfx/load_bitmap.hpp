#pragma once
// The two kinds of file loadImage reads, each from an open file.

#include <cstdint>

#include "gfx/file_reader.hpp"
#include "gfx/image.hpp"

namespace gfx {

// A bitmap file, read from its start.
LoadResult loadBitmap(FileReader& file, ImageBuffer* target, std::uint32_t* palette);

// A raw image dump; the file stands just after its marker byte.
LoadResult loadRawDump(FileReader& file, int marker, ImageBuffer* target);

}  // namespace gfx
