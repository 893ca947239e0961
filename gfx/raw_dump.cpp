#include <algorithm>
#include <cstring>

#include "gfx/aligned_block.hpp"
#include "gfx/deferred_drawing.hpp"
#include "gfx/draw_target.hpp"
#include "gfx/image_layout.hpp"
#include "gfx/load_bitmap.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen_state.hpp"

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
    if (length > ImageHeaderSize + static_cast<std::uint64_t>(capacity)) return LoadResult::BadFile;
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
    if (context.target == &target && detail::openedScreen() != nullptr) {
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
    const std::uint64_t pageBytes =
        static_cast<std::uint64_t>(screen->pitch) * static_cast<std::uint64_t>(screen->height);
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(length, pageBytes));

    lockScreen();
    detail::settlePages();
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
