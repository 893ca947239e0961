#include "gfx/screen.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "gfx/font.hpp"
#include "gfx/screen/default_palette.hpp"
#include "gfx/screen/deferred_drawing.hpp"
#include "gfx/screen/draw_target.hpp"
#include "gfx/screen/driver_choice.hpp"
#include "gfx/screen/fallible_growth.hpp"
#include "gfx/screen/screen_lock.hpp"
#include "gfx/screen/screen_state.hpp"
#include "runtime/last_error.hpp"

namespace gfx {
namespace detail {

constinit ScreenState theScreenState;

void resetTextView(ScreenState& state, const Screen& screen) {
    state.textViewFirst = 0;
    state.textViewLast = screen.textRows - 1;
    state.cursorRow = 1;
    state.cursorColumn = 1;
}

}  // namespace detail

namespace {

using runtime::ResultCode;

struct DepthFormat {
    std::int32_t depth;
    std::int32_t bytesPerPixel;
    std::uint32_t colorMask;
};

// Unknown depths give depth 0.
DepthFormat normaliseDepth(std::int32_t requested) {
    switch (requested) {
        case 1:
        case 2:
        case 4:
        case 8:
            return {requested, 1, (1u << requested) - 1u};
        case 15:
        case 16:
            return {16, 2, 0xFFFFu};
        case 24:
        case 32:
            return {32, 4, 0xFFFFFFFFu};
        default:
            return {0, 0, 0};
    }
}

std::int32_t finish(ResultCode code) {
    runtime::setLastError(code);
    return static_cast<std::int32_t>(code);
}

// Running out of memory while opening returns the same 1 as every other
// failed open, which is all callers test; the thread's last error tells it
// apart.
std::int32_t outOfMemory() {
    runtime::setLastError(ResultCode::NoMemory);
    return 1;
}

// The pages and the changed-row table; false when they cannot be allocated.
bool allocatePages(Screen& screen) {
    const auto pageBytes =
        static_cast<std::size_t>(screen.pitch) * static_cast<std::size_t>(screen.height);
    const auto pages = static_cast<std::size_t>(screen.pageCount);
    if (!tryGrow([&] {
            screen.pages.reserve(pages);
            screen.pageBlocks.reserve(pages);
        })) {
        return false;
    }
    for (std::size_t page = 0; page < pages; ++page) {
        AlignedBlock block(pageBytes);
        if (!block) return false;
        screen.pages.push_back(block.get());
        screen.pageBlocks.push_back(std::move(block));
    }
    screen.visiblePixels = screen.pages.front();
    const auto marks = static_cast<std::size_t>(screen.height) * screen.scanlineFactor;
    return tryGrow([&] { screen.dirtyRows.assign(marks, 0); });
}

// One text grid per page, filled with `blank`; false when they cannot be
// allocated.
bool allocateTextGrids(Screen& screen, const TextCell& blank) {
    const auto pages = static_cast<std::size_t>(screen.pageCount);
    const auto rows = static_cast<std::size_t>(screen.textRows);
    return tryGrow([&] {
        screen.textGrids.assign(
            pages,
            std::vector<TextCell>(static_cast<std::size_t>(screen.textColumns) * rows, blank));
        screen.textRowBlanks.assign(pages, std::vector<std::optional<TextCell>>(rows));
    });
}

void fillPages(Screen& screen, const DrawTarget& context) {
    for (std::uint8_t* page : screen.pages) {
        for (std::int32_t row = 0; row < screen.height; ++row) {
            context.fillSpan(page + static_cast<std::ptrdiff_t>(row) * screen.pitch,
                             context.backColor, screen.width);
        }
    }
}

}  // namespace

std::int32_t openScreen(std::int32_t width, std::int32_t height, std::int32_t depth,
                        std::int32_t pages, std::int32_t flags, std::int32_t refresh) {
    if (width <= 0 || height <= 0 || normaliseDepth(depth).depth == 0) {
        return finish(ResultCode::BadCall);
    }
    if (pages <= 0) pages = 1;
    // A row whose byte count does not fit the 32-bit pitch, or a set of pages
    // beyond any address space, is refused before the open screen is touched.
    const std::int64_t rowBytes = static_cast<std::int64_t>(width) * 4;
    if (rowBytes > INT32_MAX || rowBytes * height > (std::int64_t{1} << 40) / pages) {
        return finish(ResultCode::BadCall);
    }
    if (flags >= 0 && (flags & ShapedWindow) != 0) flags |= 0x1C;

    detail::ScreenState& state = detail::screenState();
    closeScreen();

    if (!tryGrow([&] { state.screen = std::make_unique<Screen>(); })) {
        return outOfMemory();
    }
    Screen& screen = *state.screen;
    screen.screenId = state.nextScreenId++;
    screen.mode = -1;
    screen.width = width;
    screen.height = height;
    if (flags >= 0 && (flags & OpenGLScreen) != 0 && depth < 16) depth = 16;

    const DepthFormat format = normaliseDepth(depth);
    screen.depth = format.depth;
    screen.bytesPerPixel = format.bytesPerPixel;
    screen.colorMask = format.colorMask;
    screen.pitch = width * format.bytesPerPixel;
    screen.pageCount = pages;
    screen.scanlineFactor = 1;
    screen.font = FontInfo{8, 8, BuiltinFont.data()};
    screen.aspect = 1.0f;

    // Everything the screen owns is allocated before a back end starts, so
    // running out of memory leaves no window behind.
    screen.textColumns = width / screen.font.glyphWidth;
    screen.textRows = height / screen.font.glyphHeight;
    DrawTarget& context = detail::threadTarget();
    if (!allocatePages(screen) || !resetDrawTarget(context, screen) ||
        !allocateTextGrids(screen, TextCell{' ', context.foreColor, context.backColor})) {
        closeScreen();
        return outOfMemory();
    }

    if (flags != NoDriver) {
        if ((flags & AlphaPrimitives) != 0) screen.flags |= ScreenAlphaBit;
        if ((flags & OpenGLScreen) != 0) screen.flags |= ScreenOpenGLBit;
        if ((flags & HighPriority) != 0) screen.flags |= ScreenHighPriorityBit;
    }
    // x86-64 always has SSE2, which the span fill uses.
    screen.flags |= ScreenFastRoutinesBit;

    detail::ensureDefaultTitle();
    const DisplayDriver* driver = chooseDriver(DriverRequest{
        windowTitle(), width, height * screen.scanlineFactor, screen.depth, refresh, flags});
    if (driver == nullptr) {
        closeScreen();
        return finish(ResultCode::BadCall);
    }

    screen.driver = driver;
    screen.palette = defaultPalette256();
    screen.shownPalette = screen.palette;
    detail::showPalette(screen);
    // The back end's window thread is already presenting, so the first frame
    // is written under its lock like every later one.
    detail::lockForDrawing();
    std::fill(screen.dirtyRows.begin(), screen.dirtyRows.end(), std::uint8_t{1});
    fillPages(screen, context);
    detail::unlockAfterDrawing();

    if (!state.closeRegistered) {
        std::atexit(closeScreen);
        state.closeRegistered = true;
    }
    detail::resetTextView(state, screen);
    return finish(ResultCode::Ok);
}

void closeScreen() {
    detail::ScreenState& state = detail::screenState();
    if (!state.screen) return;
    Screen& screen = *state.screen;
    detail::discardRecording();
    if (screen.driver != nullptr) {
        // exit waits for the window thread, which needs the frame lock.
        if (screen.lockCount > 0 && screen.driver->unlock != nullptr) screen.driver->unlock();
        screen.lockCount = 0;
        if (screen.driver->exit != nullptr) screen.driver->exit();
    }
    state.screen.reset();
    state.textViewFirst = 0;
    state.textViewLast = 0;
    state.cursorRow = 1;
    state.cursorColumn = 1;
}

void lockScreen() {
    Screen* screen = activeScreen();
    if (screen == nullptr) return;
    if (screen->lockCount > 0) {
        ++screen->lockCount;
        return;
    }
    detail::lockOuter(*screen);
    // The program's own frame: what the thread draws into the pages may wait
    // for the outer unlock.
    detail::startRecording(detail::threadTarget());
}

void detail::lockOuter(Screen& screen) {
    if (screen.driver != nullptr && screen.driver->lock != nullptr) screen.driver->lock();
    screen.lockCount = 1;
}

void unlockScreen(std::int32_t firstRow, std::int32_t lastRow) {
    Screen* screen = activeScreen();
    if (screen == nullptr) return;
    if (lastRow < 0) lastRow = screen->height - 1;
    if (firstRow < 0) firstRow = 0;
    // The drawing calls' own unlock(1, 0) marks nothing, so it skips the
    // thread's context lookup.
    if (lastRow >= firstRow && lastRow < screen->height &&
        detail::threadTarget().workPage == screen->visiblePage) {
        std::fill(screen->dirtyRows.begin() + firstRow, screen->dirtyRows.begin() + lastRow + 1,
                  std::uint8_t{1});
    }
    detail::unlockAfterDrawing();
}

void detail::unlockOuter(Screen& screen) {
    finishRecording();
    screen.lockCount = 0;
    if (screen.driver != nullptr && screen.driver->unlock != nullptr) screen.driver->unlock();
}

void detail::showPalette(const Screen& screen) {
    if (screen.driver == nullptr || screen.driver->setPalette == nullptr) return;
    for (std::int32_t i = 0; i < 256; ++i) {
        const std::uint32_t e = screen.shownPalette[static_cast<std::size_t>(i)];
        screen.driver->setPalette(i, static_cast<std::int32_t>(e & 0xFFu),
                                  static_cast<std::int32_t>((e >> 8) & 0xFFu),
                                  static_cast<std::int32_t>((e >> 16) & 0xFFu));
    }
}

void notePagesWritten() {
    std::atomic<std::uint64_t>& version = detail::screenState().pagesVersion;
    version.store(version.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

std::uint64_t pagesVersion() {
    return detail::screenState().pagesVersion.load(std::memory_order_relaxed);
}

Screen* activeScreen() {
    return detail::screenState().screen.get();
}

}  // namespace gfx
