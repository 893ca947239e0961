#include <algorithm>
#include <cstring>

#include "gfx/aligned_block.hpp"
#include "gfx/images/checked_size.hpp"
#include "gfx/images/image_layout.hpp"
#include "gfx/images/load_bitmap.hpp"

namespace gfx {
namespace {

constexpr int LongDumpMarker = 0xFE;

}  // namespace

bool readDumpLength(FileReader& file, int marker, std::uint32_t& length) {
    if (marker == LongDumpMarker) return file.readU32(length);
    std::uint16_t shortLength = 0;
    if (!file.skip(4) || !file.readU16(shortLength)) return false;
    length = shortLength;
    return true;
}

LoadResult dumpIntoImage(FileReader& file, std::uint32_t length, ImageBuffer& target) {
    const std::uint32_t capacity = imageCapacity(target);
    // Refused whole rather than cut: a cut dump would be a different picture.
    std::uint64_t blockBytes = 0;
    if (!madFits(length, 1, 0, ImageHeaderSize + std::uint64_t{capacity}, blockBytes)) {
        return LoadResult::BadFile;
    }
    AlignedBlock data(length);
    if (!data) return LoadResult::NoMemory;
    const std::size_t got = file.readUpTo(data.get(), length);
    if (file.failed()) return LoadResult::BadFile;

    // The header the block would end up with must describe rows it holds.
    ImageBuffer header{};
    std::memcpy(&header, &target, sizeof header);
    std::memcpy(&header, data.get(), std::min<std::size_t>(got, sizeof header));
    if (!imageHeaderFits(header, capacity)) return LoadResult::BadFile;

    std::memcpy(&target, data.get(), got);
    setImageCapacity(target, capacity);
    return LoadResult::Ok;
}

}  // namespace gfx
