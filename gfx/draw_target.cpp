#include "gfx/draw_target.hpp"

#include <algorithm>
#include <cstring>

#include "gfx/draw_primitives.hpp"
#include "gfx/image.hpp"
#include "gfx/screen.hpp"

namespace gfx {
namespace {

void chooseRoutines(DrawTarget& context) {
    context.putPixel = putPixelFor(context.bytesPerPixel);
    context.getPixel = getPixelFor(context.bytesPerPixel);
    context.fillSpan = fillSpanFor(context.bytesPerPixel);
}

void pointAtScreenPage(DrawTarget& context, const Screen& screen) {
    context.target = nullptr;
    context.isImage = false;
    context.bytesPerPixel = screen.bytesPerPixel;
    context.pitch = screen.pitch;
    const auto rows = static_cast<std::size_t>(screen.height);
    if (context.rowTable.size() < rows) context.rowTable.resize(rows);
    context.rowCapacity = static_cast<std::int32_t>(context.rowTable.size());
    std::uint8_t* page = screen.pages[static_cast<std::size_t>(context.workPage)];
    for (std::size_t row = 0; row < rows; ++row) {
        context.rowTable[row] = page + row * static_cast<std::size_t>(screen.pitch);
    }
    chooseRoutines(context);
}

bool isUsableImage(const ImageBuffer& image) {
    const bool knownDepth =
        image.bytesPerPixel == 1 || image.bytesPerPixel == 2 || image.bytesPerPixel == 4;
    return image.type == ImageType && knownDepth && image.width > 0 && image.height > 0 &&
           image.pitch >= image.width * image.bytesPerPixel;
}

}  // namespace

void resetDrawTarget(DrawTarget& context, const Screen& screen) {
    context = DrawTarget{};
    context.screenId = screen.screenId;
    context.workPage = 0;
    context.savedClipRect = ClipRect{0, 0, screen.width, screen.height};
    context.rowTable.assign(static_cast<std::size_t>(screen.height), nullptr);
    context.rowCapacity = screen.height;
    context.foreColor = screen.depth == 8 ? 15u : screen.colorMask;
    context.backColor = screen.colorMask & 0xFF000000u;
    context.clipRect = ClipRect{0, 0, screen.width, screen.height};
    context.primitives = &DirectPrimitives;
    pointAtScreenPage(context, screen);
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

bool selectTarget(DrawTarget& context, ImageBuffer* target) {
    const Screen* screen = activeScreen();
    if (target == nullptr) {
        if (screen == nullptr || screen->pages.empty()) return false;
        if (!context.isImage) return true;
        context.clipRect = context.savedClipRect;
        pointAtScreenPage(context, *screen);
        return true;
    }
    if (context.isImage && context.target == target) return true;
    if (!isUsableImage(*target)) return false;
    if (!context.isImage) context.savedClipRect = context.clipRect;
    context.clipRect = ClipRect{0, 0, target->width, target->height};
    context.bytesPerPixel = target->bytesPerPixel;
    context.pitch = target->pitch;
    const auto rows = static_cast<std::size_t>(target->height);
    if (context.rowTable.size() < rows) context.rowTable.resize(rows);
    context.rowCapacity = static_cast<std::int32_t>(context.rowTable.size());
    for (std::size_t row = 0; row < rows; ++row) {
        context.rowTable[row] = imageRow(target, static_cast<std::int32_t>(row));
    }
    chooseRoutines(context);
    context.target = target;
    context.isImage = true;
    return true;
}

bool storesPlainly(const DrawTarget& context) {
    return context.putPixel != nullptr && context.putPixel == putPixelFor(context.bytesPerPixel);
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
