#include "gfx/screen/draw_target.hpp"

#include <algorithm>
#include <cstring>

#include "gfx/drawing/draw_primitives.hpp"
#include "gfx/image.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/fallible_growth.hpp"

namespace gfx {
namespace {

void chooseRoutines(DrawTarget& context) {
    context.putPixel = putPixelFor(context.bytesPerPixel);
    context.getPixel = getPixelFor(context.bytesPerPixel);
    context.fillSpan = fillSpanFor(context.bytesPerPixel);
}

// Room for `rows` entries in the row table; false when it cannot be had.
bool holdRows(DrawTarget& context, std::int32_t rows) {
    const auto wanted = static_cast<std::size_t>(rows);
    if (context.rowTable.size() < wanted && !tryGrow([&] { context.rowTable.resize(wanted); })) {
        return false;
    }
    context.rowCapacity = static_cast<std::int32_t>(context.rowTable.size());
    return true;
}

bool pointAtScreenPage(DrawTarget& context, const Screen& screen) {
    if (!holdRows(context, screen.height)) return false;
    context.target = nullptr;
    context.isImage = false;
    context.bytesPerPixel = screen.bytesPerPixel;
    context.pitch = screen.pitch;
    const auto rows = static_cast<std::size_t>(screen.height);
    std::uint8_t* page = screen.pages[static_cast<std::size_t>(context.workPage)];
    for (std::size_t row = 0; row < rows; ++row) {
        context.rowTable[row] = page + row * static_cast<std::size_t>(screen.pitch);
    }
    chooseRoutines(context);
    return true;
}

bool isUsableImage(const ImageBuffer& image) {
    const bool knownDepth =
        image.bytesPerPixel == 1 || image.bytesPerPixel == 2 || image.bytesPerPixel == 4;
    return image.type == ImageType && knownDepth && image.width > 0 && image.height > 0 &&
           image.pitch >= image.width * image.bytesPerPixel;
}

}  // namespace

bool resetDrawTarget(DrawTarget& context, const Screen& screen) {
    context = DrawTarget{};
    context.workPage = 0;
    context.savedClipRect = ClipRect{0, 0, screen.width, screen.height};
    context.foreColor = screen.depth == 8 ? 15u : screen.colorMask;
    context.backColor = screen.colorMask & 0xFF000000u;
    context.clipRect = ClipRect{0, 0, screen.width, screen.height};
    context.primitives = &DirectPrimitives;
    if (!pointAtScreenPage(context, screen)) {
        // Left unset, so the next call for the context tries again.
        context = DrawTarget{};
        return false;
    }
    context.screenId = screen.screenId;
    return true;
}

DrawTarget& drawTarget() {
    notePagesWritten();
    return detail::threadTarget();
}

DrawTarget& detail::threadTarget() {
    thread_local DrawTarget context;
    const Screen* screen = activeScreen();
    if (screen != nullptr && !screen->pages.empty() && context.screenId != screen->screenId) {
        resetDrawTarget(context, *screen);
    }
    return context;
}

runtime::ResultCode selectOtherTarget(DrawTarget& context, ImageBuffer* target) {
    using runtime::ResultCode;
    const Screen* screen = activeScreen();
    if (screen == nullptr || screen->pages.empty()) {
        if (target == nullptr || context.primitives == nullptr) return ResultCode::BadCall;
    } else if (context.primitives == nullptr) {
        // Its set-up for this screen could not allocate the row table.
        return ResultCode::NoMemory;
    }
    if (target == nullptr) {
        if (!context.isImage) return ResultCode::Ok;
        if (!pointAtScreenPage(context, *screen)) return ResultCode::NoMemory;
        context.clipRect = context.savedClipRect;
        return ResultCode::Ok;
    }
    if (context.isImage && context.target == target) return ResultCode::Ok;
    if (!isUsableImage(*target)) return ResultCode::BadCall;
    if (!holdRows(context, target->height)) return ResultCode::NoMemory;
    if (!context.isImage) context.savedClipRect = context.clipRect;
    context.clipRect = ClipRect{0, 0, target->width, target->height};
    context.bytesPerPixel = target->bytesPerPixel;
    context.pitch = target->pitch;
    const auto rows = static_cast<std::size_t>(target->height);
    for (std::size_t row = 0; row < rows; ++row) {
        context.rowTable[row] = imageRow(target, static_cast<std::int32_t>(row));
    }
    chooseRoutines(context);
    context.target = target;
    context.isImage = true;
    return ResultCode::Ok;
}

bool drawsVisiblePage(const DrawTarget& context) {
    const Screen* screen = activeScreen();
    return screen != nullptr && !context.isImage && !context.rowTable.empty() &&
           context.rowTable.front() == screen->visiblePixels;
}

void markRows(const DrawTarget& context, std::int32_t first, std::int32_t last) {
    if (!drawsVisiblePage(context)) return;
    Screen* screen = activeScreen();
    first = std::max(first, 0);
    last = std::min(last, static_cast<std::int32_t>(screen->dirtyRows.size()) - 1);
    if (last < first) return;
    // A shape spans a cell or a text line: 8 to 32 rows are marked with two
    // overlapping stores instead of a call.
    std::uint8_t* const marks = screen->dirtyRows.data() + first;
    const auto count = static_cast<std::size_t>(last) - static_cast<std::size_t>(first) + 1;
    constexpr std::uint64_t Eight = 0x0101010101010101u;
    if (count >= 8 && count <= 16) {
        std::memcpy(marks, &Eight, 8);
        std::memcpy(marks + count - 8, &Eight, 8);
    } else if (count > 16 && count <= 32) {
        const std::uint64_t sixteen[2] = {Eight, Eight};
        std::memcpy(marks, sixteen, 16);
        std::memcpy(marks + count - 16, sixteen, 16);
    } else {
        std::memset(marks, 1, count);
    }
}

}  // namespace gfx
