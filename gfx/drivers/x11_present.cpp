#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "gfx/drivers/window_scale.hpp"
#include "gfx/drivers/x11_state.hpp"
#include "runtime/try_allocate.hpp"

namespace gfx::x11 {
namespace {

// LETTERMOOR_X11_NOSHM=1 forces the plain path, for measuring and for servers
// that accept the attach but cannot really share memory (remote displays).
bool sharedMemoryWanted() {
    const char* value = std::getenv("LETTERMOOR_X11_NOSHM");
    return value == nullptr || std::strcmp(value, "1") != 0;
}

#ifdef LETTERMOOR_MEASURING_SWITCHES
// LETTERMOOR_X11_NODIFF=1 sends every marked row without comparing it, for
// measuring what the comparison saves.
bool rowComparisonWanted() {
    const char* value = std::getenv("LETTERMOOR_X11_NODIFF");
    return value == nullptr || std::strcmp(value, "1") != 0;
}

// LETTERMOOR_TRACE_FIRST_FRAME=1 reports on stderr when the first drawn frame
// has reached the server, on the clock every process of the machine shares.
bool firstFrameTraceWanted() {
    const char* value = std::getenv("LETTERMOOR_TRACE_FIRST_FRAME");
    return value != nullptr && std::strcmp(value, "1") == 0;
}
#else
// The shipped game always compares rows and traces nothing.
bool rowComparisonWanted() {
    return true;
}
bool firstFrameTraceWanted() {
    return false;
}
#endif

void releaseImage(XImage* image) {
    image->data = nullptr;  // the pixels belong to the presenter, not to Xlib
    XDestroyImage(image);
}

bool attachSharedImage(X11State& s, Visual* visual, int depth) {
    Presenter& p = s.presenter;
    int major = 0;
    int minor = 0;
    Bool pixmaps = False;
    if (!XShmQueryVersion(s.display, &major, &minor, &pixmaps)) return false;
    // The converters write least significant byte first; shared memory gets no
    // byte swapping from Xlib.
    if ((ImageByteOrder(s.display) == LSBFirst) != (std::endian::native == std::endian::little)) {
        return false;
    }

    XImage* image = XShmCreateImage(s.display, visual, static_cast<unsigned>(depth), ZPixmap,
                                    nullptr, &p.shm, static_cast<unsigned>(s.width * s.scale),
                                    static_cast<unsigned>(s.height * s.scale));
    if (image == nullptr) return false;
    const std::size_t bytes =
        static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(image->height);
    p.shm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (p.shm.shmid < 0) {
        releaseImage(image);
        return false;
    }
    void* address = shmat(p.shm.shmid, nullptr, 0);
    // Marked for removal at once: it vanishes when both sides detach, even if
    // the program dies.
    shmctl(p.shm.shmid, IPC_RMID, nullptr);
    if (reinterpret_cast<std::intptr_t>(address) == -1) {
        releaseImage(image);
        return false;
    }
    p.shm.shmaddr = static_cast<char*>(address);
    p.shm.readOnly = False;
    image->data = p.shm.shmaddr;

    // A server on another machine, or one that denies access, answers the
    // attach with BadAccess or BadRequest.
    beginErrorTrap();
    const Status attached = XShmAttach(s.display, &p.shm);
    const int errors = endErrorTrap(s.display);
    if (!attached || errors != 0) {
        shmdt(p.shm.shmaddr);
        releaseImage(image);
        p.shm = XShmSegmentInfo{};
        return false;
    }
    p.image = image;
    p.usesShm = true;
    return true;
}

bool zeroed(std::vector<std::uint8_t>& buffer, std::size_t bytes) {
    return runtime::tryAllocate([&] { buffer.assign(bytes, 0); });
}

bool createPlainImage(X11State& s, Visual* visual, int depth) {
    Presenter& p = s.presenter;
    const int pad = p.pixelBytes == 2 ? 16 : 32;
    XImage* image = XCreateImage(s.display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                                 nullptr, static_cast<unsigned>(s.width * s.scale),
                                 static_cast<unsigned>(s.height * s.scale), pad, 0);
    if (image == nullptr) return false;
    // Xlib swaps bytes on the way when the server wants the other order.
    image->byte_order = LSBFirst;
    if (!zeroed(p.ownPixels, static_cast<std::size_t>(image->bytes_per_line) *
                                 static_cast<std::size_t>(image->height))) {
        releaseImage(image);
        return false;
    }
    image->data = reinterpret_cast<char*>(p.ownPixels.data());
    p.image = image;
    return true;
}

}  // namespace

bool createPresenter(X11State& s, Visual* visual, int depth) {
    Presenter& p = s.presenter;
    int formatCount = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(s.display, &formatCount);
    int bitsPerPixel = 0;
    for (int i = 0; i < formatCount; ++i) {
        if (formats[i].depth == depth) bitsPerPixel = formats[i].bits_per_pixel;
    }
    if (formats != nullptr) XFree(formats);

    pixel_formats::PixelLayout layout{bitsPerPixel, static_cast<std::uint32_t>(visual->red_mask),
                                      static_cast<std::uint32_t>(visual->green_mask),
                                      static_cast<std::uint32_t>(visual->blue_mask)};
    p.convert = pixel_formats::chooseRowConverter(layout);
    p.pixelBytes = bytesPerPixel(layout);
    if (p.convert == nullptr) return false;
    p.compareRows = rowComparisonWanted();
    p.repaintAll = true;
    // A widened image is no copy of the frame either.
    if (p.compareRows && (!pixel_formats::copiesUnchanged(p.convert) || s.scale > 1) &&
        !zeroed(p.shownFrame, static_cast<std::size_t>(s.width) * 4 * s.height)) {
        return false;
    }
    // findChangedRows then never grows the list on the window thread.
    if (!runtime::tryAllocate(
            [&] { p.runs.reserve(static_cast<std::size_t>(s.height + 1) / 2); })) {
        return false;
    }
    if (s.scale > 1 && !zeroed(p.convertedRow, static_cast<std::size_t>(s.width) *
                                                   static_cast<std::size_t>(p.pixelBytes))) {
        return false;
    }

    if (sharedMemoryWanted() && attachSharedImage(s, visual, depth)) return true;
    return createPlainImage(s, visual, depth);
}

void destroyPresenter(X11State& s) {
    Presenter& p = s.presenter;
    if (p.image != nullptr) {
        if (p.usesShm) {
            XShmDetach(s.display, &p.shm);
            XSync(s.display, False);
            shmdt(p.shm.shmaddr);
        }
        releaseImage(p.image);
    }
    s.presenter = Presenter{};
}

namespace {

std::uint8_t* imageRowAt(const Presenter& p, std::int32_t row) {
    return reinterpret_cast<std::uint8_t*>(p.image->data) +
           static_cast<std::ptrdiff_t>(row) * p.image->bytes_per_line;
}

// Frame row `row` as scale rows of scale-wide blocks in the image.
void convertScaledRow(X11State& s, const std::uint8_t* source, std::int32_t row) {
    Presenter& p = s.presenter;
    p.convert(source, p.convertedRow.data(), s.width);
    std::uint8_t* first = imageRowAt(p, row * s.scale);
    widenRow(p.convertedRow.data(), first, s.width, p.pixelBytes, s.scale);
    const auto bytes = static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.scale) *
                       static_cast<std::size_t>(p.pixelBytes);
    for (std::int32_t copy = 1; copy < s.scale; ++copy) {
        std::memcpy(imageRowAt(p, row * s.scale + copy), first, bytes);
    }
}

// Converts rows first..last into the image, keeps the frame's copy of them
// when the image cannot serve as one, and queues them for the window.
void sendRows(X11State& s, std::int32_t first, std::int32_t last) {
    Presenter& p = s.presenter;
    const Screen& screen = *s.screen;
    const auto rowBytes = static_cast<std::size_t>(s.width) * 4;
    for (std::int32_t row = first; row <= last; ++row) {
        const std::uint8_t* source =
            screen.visiblePixels + static_cast<std::ptrdiff_t>(row) * screen.pitch;
        if (s.scale > 1) {
            convertScaledRow(s, source, row);
        } else {
            p.convert(source, imageRowAt(p, row), s.width);
        }
        if (!p.shownFrame.empty()) {
            std::memcpy(p.shownFrame.data() + static_cast<std::size_t>(row) * rowBytes, source,
                        rowBytes);
        }
    }
    const auto rows = static_cast<unsigned>((last - first + 1) * s.scale);
    const auto width = static_cast<unsigned>(s.width * s.scale);
    const int top = first * s.scale;
    if (p.usesShm) {
        XShmPutImage(s.display, s.window, s.gc, p.image, 0, top, 0, top, width, rows, False);
    } else {
        XPutImage(s.display, s.window, s.gc, p.image, 0, top, 0, top, width, rows);
    }
    s.counters.rowsSent.fetch_add(static_cast<unsigned>(last - first + 1),
                                  std::memory_order_relaxed);
}

// Shared memory is read by the server later; the next pass must not write
// into it before that.
void finishSending(X11State& s) {
    if (s.presenter.usesShm) {
        XSync(s.display, False);
    } else {
        XFlush(s.display);
    }
}

// True once the page holds more than one colour: the screen opens filled
// with its background, so a uniform page is not yet a drawn frame.
bool pageShowsSomething(const Screen& screen) {
    std::uint32_t first = 0;
    std::memcpy(&first, screen.visiblePixels, 4);
    for (std::int32_t row = 0; row < screen.height; ++row) {
        const std::uint8_t* pixels =
            screen.visiblePixels + static_cast<std::ptrdiff_t>(row) * screen.pitch;
        for (std::int32_t x = 0; x < screen.width; ++x) {
            std::uint32_t value = 0;
            std::memcpy(&value, pixels + std::ptrdiff_t{4} * x, 4);
            if (value != first) return true;
        }
    }
    return false;
}

void traceFirstFrame(X11State& s) {
    if (s.counters.firstFrameTraced || !firstFrameTraceWanted()) return;
    if (s.screen->bytesPerPixel != 4 || !pageShowsSomething(*s.screen)) return;
    s.counters.firstFrameTraced = true;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "lettermoor: first frame shown at monotonic %lld.%09ld\n",
                 static_cast<long long>(now.tv_sec), now.tv_nsec);
}

// What the window shows of the frame: the image itself when it holds the
// frame's bytes, else the kept copy.
std::uint64_t threadCpuNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
           static_cast<std::uint64_t>(now.tv_nsec);
}

RowSpan shownRows(const X11State& s) {
    const Presenter& p = s.presenter;
    if (!p.shownFrame.empty()) {
        return RowSpan{p.shownFrame.data(), static_cast<std::ptrdiff_t>(s.width) * 4};
    }
    return RowSpan{reinterpret_cast<const std::uint8_t*>(p.image->data), p.image->bytes_per_line};
}

}  // namespace

void presentAllRows(X11State& s) {
    if (s.presenter.image == nullptr || s.screen->visiblePixels == nullptr) return;
    sendRows(s, 0, s.height - 1);
    finishSending(s);
}

void presentDirtyRows(X11State& s) {
    Presenter& p = s.presenter;
    std::vector<std::uint8_t>& dirty = s.screen->dirtyRows;
    const std::int32_t rows = std::min(static_cast<std::int32_t>(dirty.size()), s.height);
    const bool anyMarked = std::any_of(dirty.begin(), dirty.begin() + rows,
                                       [](std::uint8_t mark) { return mark != 0; });
    if (p.image == nullptr || s.screen->visiblePixels == nullptr || (!anyMarked && !p.repaintAll)) {
        std::fill(dirty.begin(), dirty.end(), std::uint8_t{0});
        return;
    }
    const auto started = std::chrono::steady_clock::now();
    const std::uint64_t cpuStarted = threadCpuNanoseconds();
    const Screen& screen = *s.screen;
    const bool unwritten =
        pagesVersion() == p.wholeAtWrites && screen.visiblePixels == p.wholeAtPixels;
    if (p.repaintAll) {
        sendRows(s, 0, s.height - 1);
        p.repaintAll = false;
        p.wholeAtWrites = pagesVersion();
        p.wholeAtPixels = screen.visiblePixels;
    } else if (p.compareRows && unwritten) {
        // Marked again, as the game marks every row of every frame, but
        // nothing has written to the page since it was last compared whole.
    } else if (p.compareRows) {
        findChangedRows(RowSpan{screen.visiblePixels, screen.pitch}, shownRows(s),
                        static_cast<std::size_t>(s.width) * 4, dirty.data(), rows, p.runs);
        for (const RowRun& run : p.runs) sendRows(s, run.first, run.first + run.count - 1);
        const bool allMarked =
            rows == s.height && std::all_of(dirty.begin(), dirty.begin() + rows,
                                            [](std::uint8_t mark) { return mark != 0; });
        p.wholeAtWrites = allMarked ? pagesVersion() : UINT64_MAX;
        p.wholeAtPixels = screen.visiblePixels;
    } else {
        const RowRun marked = markedSpan(dirty.data(), rows);
        sendRows(s, marked.first, marked.first + marked.count - 1);
    }
    finishSending(s);
    std::fill(dirty.begin(), dirty.end(), std::uint8_t{0});
    const auto spent = std::chrono::steady_clock::now() - started;
    s.counters.passes.fetch_add(1, std::memory_order_relaxed);
    s.counters.nanoseconds.fetch_add(
        static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(spent).count()),
        std::memory_order_relaxed);
    s.counters.cpuNanoseconds.fetch_add(threadCpuNanoseconds() - cpuStarted,
                                        std::memory_order_relaxed);
    traceFirstFrame(s);
}

}  // namespace gfx::x11
