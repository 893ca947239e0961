#include <algorithm>
#include <cstring>

#include "gfx/aligned_block.hpp"
#include "gfx/checked_size.hpp"
#include "gfx/draw_primitives.hpp"
#include "gfx/draw_target.hpp"
#include "gfx/image_layout.hpp"
#include "gfx/load_bitmap.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen_lock.hpp"

namespace gfx {
namespace {

constexpr int LongDumpMarker = 0xFE;

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

    // A thread still aimed at this image holds its old rows and clip.
    DrawTarget& context = detail::threadTarget();
    if (context.target == &target && activeScreen() != nullptr) {
        selectTarget(context, nullptr);
        selectTarget(context, &target);
    }
    return LoadResult::Ok;
}

LoadResult dumpIntoScreen(FileReader& file, std::uint32_t length) {
    Screen* screen = activeScreen();
    if (screen == nullptr) return LoadResult::BadCall;
    const DrawTarget& context = detail::threadTarget();
    const auto page = static_cast<std::size_t>(context.workPage);
    if (page >= screen->pages.size()) return LoadResult::BadCall;
    const std::uint64_t pageBytes = checkedMad(screen->pitch, screen->height).value_or(0);
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(length, pageBytes));

    detail::lockForDrawing();
    // The thread's target may be an image: the pages are announced through a
    // context that aims at them.
    DrawTarget pages;
    pages.primitives = context.primitives;
    pages.primitives->ownPixels(pages);
    const std::size_t got = file.readUpTo(screen->pages[page], wanted);
    const bool failed = file.failed();
    if (got == 0) {
        detail::unlockAfterDrawing();
    } else {
        const auto lastRow =
            static_cast<std::int32_t>((got - 1) / static_cast<std::size_t>(screen->pitch));
        unlockScreen(0, lastRow);
    }
    return failed ? LoadResult::BadFile : LoadResult::Ok;
}

}  // namespace

LoadResult loadRawDump(FileReader& file, int marker, ImageBuffer* target) {
    std::uint32_t length = 0;
    if (!readDumpLength(file, marker, length)) return LoadResult::BadFile;
    return target != nullptr ? dumpIntoImage(file, length, *target) : dumpIntoScreen(file, length);
}

}  // namespace gfx
