#include <string>

#include "gfx/file_reader.hpp"
#include "gfx/image.hpp"
#include "gfx/load_bitmap.hpp"
#include "gfx/screen.hpp"

namespace gfx {
namespace {

constexpr std::size_t MaxFileNameBytes = 259;
constexpr int LongDumpMarker = 0xFE;
constexpr int ShortDumpMarker = 0xFD;
constexpr int BitmapMarker = 0x42;  // 'B'

LoadResult loadFrom(FileReader& file, ImageBuffer* target, std::uint32_t* palette) {
    const int marker = file.readByte();
    if (marker == LongDumpMarker || marker == ShortDumpMarker) {
        return loadRawDump(file, marker, target);
    }
    if (marker == BitmapMarker && file.seek(0)) return loadBitmap(file, target, palette);
    return LoadResult::BadFile;
}

}  // namespace

LoadResult loadImage(std::string_view fileName, ImageBuffer* target, std::uint32_t* palette) {
    if (target == nullptr && activeScreen() == nullptr) return LoadResult::BadCall;
    // '/' already is this platform's directory separator.
    const std::string path(fileName.substr(0, MaxFileNameBytes));
    FileReader file(path.c_str());
    if (!file.isOpen()) return LoadResult::CannotOpen;
    return loadFrom(file, target, palette);
}

LoadResult loadImageFromMemory(std::span<const std::uint8_t> bytes, ImageBuffer* target,
                               std::uint32_t* palette) {
    if (target == nullptr && activeScreen() == nullptr) return LoadResult::BadCall;
    FileReader file(bytes);
    return loadFrom(file, target, palette);
}

}  // namespace gfx
