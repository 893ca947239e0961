// The game's frame drawn with the runtime's primitives, step by step, against
// the memory-bound floor of the same work done with memset and memcpy.
//
// FrameSteps and FloorSteps report the microseconds of each step per frame as
// counters (step_clear, step_white, ...); bench/plot_frame_steps.py draws them.

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "gfx/blit.hpp"
#include "gfx/color.hpp"
#include "gfx/image.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"
#include "gfx/text.hpp"

namespace {

constexpr int GridSize = 20;
constexpr float Cell = 30.0f;
constexpr std::size_t PageBytes = 1000 * 600 * 4;

enum Step { Clear, WhiteFill, Outlines, GreenFills, Letters, Labels, ButtonStep, Blit, StepCount };
constexpr std::array<const char*, StepCount> StepNames = {
    "step_clear",   "step_white",  "step_outlines", "step_green",
    "step_letters", "step_labels", "step_button",   "step_blit"};

// The thread's own CPU time: the machine is shared, and a step must not be
// charged for the time another process held the core.
struct Clock {
    using time_point = std::chrono::nanoseconds;
    static time_point now() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
    }
};

// Adds the time since the last lap to one step.
struct StepTimer {
    std::array<double, StepCount> seconds{};
    Clock::time_point last = Clock::now();
    void lap(Step step) {
        const Clock::time_point now = Clock::now();
        seconds[step] += std::chrono::duration<double>(now - last).count();
        last = now;
    }
    void report(benchmark::State& state) const {
        for (int step = 0; step < StepCount; ++step) {
            state.counters[StepNames[static_cast<std::size_t>(step)]] = benchmark::Counter(
                seconds[static_cast<std::size_t>(step)] * 1e6, benchmark::Counter::kAvgIterations);
        }
    }
};

// Without a timer the steps run back to back, drawn as the game's frame is:
// recorded, and carried out band by band at the unlock. With one, each step
// is carried out before its lap by an outer unlock, so its time includes its
// own pixels (and the clear is not skipped under the white fill).
void lap(StepTimer* timer, Step step) {
    if (timer == nullptr) return;
    // The floor's steps may run before any screen was opened.
    const gfx::Screen* screen = gfx::activeScreen();
    if (screen != nullptr && screen->lockCount > 0) {
        gfx::unlockScreen(1, 0);
        gfx::lockScreen();
    }
    timer->lap(step);
}

void openScreenOnce() {
    if (gfx::activeScreen() != nullptr) return;
    gfx::presetDriverName("null");
    gfx::openScreen(1000, 600, 32, 0, 0, 0);
}

// The win picture: opaque colours with a band of mask pixels, as a drawn
// picture with a transparent border has.
gfx::ImageHandle winPicture() {
    gfx::ImageHandle image(gfx::createImage(600, 600, 0, 0, gfx::NoColorGiven));
    for (std::int32_t y = 0; y < 600; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(gfx::imageRow(image.get(), y));
        for (std::int32_t x = 0; x < 600; ++x) {
            const bool border = x < 40 || x >= 560 || y < 40 || y >= 560 || (x + y) % 97 == 0;
            row[x] = border ? gfx::MaskColor : 0xFF000000u | static_cast<std::uint32_t>(x * y);
        }
    }
    return image;
}

bool isGreen(int row, int column) {
    return (row * GridSize + column) % 2 == 0;
}

enum CellPart : unsigned { CellOutline = 1, CellGreen = 2, CellLetter = 4, WholeCell = 7 };

// The grid as the game draws it, cell by cell, column after column; `parts`
// picks what of each cell is drawn. A frame equal to the one before is not
// drawn again, so one letter changes from frame to frame.
void drawGrid(unsigned parts, unsigned frame) {
    for (int c = 0; c < GridSize; ++c) {
        for (int r = 0; r < GridSize; ++r) {
            const float x = Cell * static_cast<float>(c);
            const float y = Cell * static_cast<float>(r);
            if ((parts & CellOutline) != 0) {
                gfx::drawLine(nullptr, x, y, x + Cell, y + Cell, gfx::Black, gfx::Box, 0xFFFF, 0);
            }
            if ((parts & CellGreen) != 0 && isGreen(r, c)) {
                gfx::drawLine(nullptr, x + 1, y + 1, x + 29, y + 29, gfx::Green, gfx::FilledBox,
                              0xFFFF, 0);
            }
            if ((parts & CellLetter) != 0) {
                const auto changing = static_cast<int>(r == 7 && c == 7 ? frame % 2 : 0);
                const char letter[1] = {static_cast<char>('A' + (r + c + changing) % 24)};
                gfx::drawText(nullptr, x + 13, y + 13, 4, std::string_view(letter, 1), gfx::Black);
            }
        }
    }
}

// The game's frame. Timed, the cells are drawn in three passes, one per kind
// of call; frames, green cells and letters touch disjoint pixels, so the
// passes draw the same frame.
void drawFrame(const gfx::ImageBuffer* solved, StepTimer* timer) {
    static const std::string label = "Ein Hinweis auf ein Wort im Gitter ....!";
    static unsigned frame = 0;
    ++frame;
    gfx::lockScreen();
    gfx::clearScreen(gfx::ClearDefault);
    lap(timer, Clear);
    gfx::drawLine(nullptr, 0, 0, 1000, 600, gfx::White, gfx::FilledBox, 0xFFFF, 0);
    lap(timer, WhiteFill);
    if (timer == nullptr) {
        drawGrid(WholeCell, frame);
    } else {
        drawGrid(CellOutline, frame);
        lap(timer, Outlines);
        drawGrid(CellGreen, frame);
        lap(timer, GreenFills);
        drawGrid(CellLetter, frame);
        lap(timer, Letters);
    }
    for (int i = 0; i < 10; ++i) {
        const float y = 20.0f + 50.0f * static_cast<float>(i);
        gfx::drawText(nullptr, 650, y, 4, label, gfx::Black);
        if (i % 2 == 0)
            gfx::drawLine(nullptr, 650, y + 4, 970, y + 4, gfx::Black, gfx::Line, 0xFFFF, 0);
    }
    lap(timer, Labels);
    gfx::drawLine(nullptr, 750, 550, 850, 560, gfx::Black, gfx::Box, 0xFFFF, 0);
    gfx::drawText(nullptr, 752, 552, 4, "Neues R\x84tsel", gfx::Black);
    lap(timer, ButtonStep);
    if (solved != nullptr) {
        gfx::putImage(nullptr, 0, 0, solved, gfx::WholeImage, gfx::WholeImage, gfx::WholeImage,
                      gfx::WholeImage, 0, 0, gfx::putTransparent, -1, nullptr, nullptr);
    }
    gfx::unlockScreen(-1, -1);
    lap(timer, Blit);
}

void FramePlaying(benchmark::State& state) {
    openScreenOnce();
    for (auto _ : state) {
        drawFrame(nullptr, nullptr);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FramePlaying)->Unit(benchmark::kMicrosecond);

void FrameSolved(benchmark::State& state) {
    openScreenOnce();
    const gfx::ImageHandle picture = winPicture();
    for (auto _ : state) {
        drawFrame(picture.get(), nullptr);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FrameSolved)->Unit(benchmark::kMicrosecond);

void FrameSteps(benchmark::State& state) {
    openScreenOnce();
    const gfx::ImageHandle picture = winPicture();
    StepTimer timer;
    for (auto _ : state) {
        timer.last = Clock::now();
        drawFrame(picture.get(), &timer);
        benchmark::ClobberMemory();
    }
    timer.report(state);
}
BENCHMARK(FrameSteps)->Unit(benchmark::kMicrosecond);

void TransparentBlitOnly(benchmark::State& state) {
    openScreenOnce();
    const gfx::ImageHandle picture = winPicture();
    for (auto _ : state) {
        gfx::putImage(nullptr, 0, 0, picture.get(), gfx::WholeImage, 0, 0, 0, 0, 0,
                      gfx::putTransparent, -1, nullptr, nullptr);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(TransparentBlitOnly)->Unit(benchmark::kMicrosecond);

// The floor: the clear and the white fill as two page memsets, the green
// cells as memsets of their rows, and for the solved frame one image copy.
void floorFrame(std::vector<std::uint8_t>& page, const std::vector<std::uint8_t>* image,
                StepTimer* timer) {
    std::memset(page.data(), 0x00, page.size());
    benchmark::ClobberMemory();
    lap(timer, Clear);
    std::memset(page.data(), 0xFF, page.size());
    benchmark::ClobberMemory();
    lap(timer, WhiteFill);
    lap(timer, Outlines);
    for (int r = 0; r < GridSize; ++r) {
        for (int c = 0; c < GridSize; ++c) {
            if (!isGreen(r, c)) continue;
            for (int row = 0; row < 29; ++row) {
                std::memset(page.data() + (30 * r + 1 + row) * 4000 + (30 * c + 1) * 4, 0x80,
                            29 * 4);
            }
        }
    }
    benchmark::ClobberMemory();
    lap(timer, GreenFills);
    lap(timer, Letters);
    lap(timer, Labels);
    lap(timer, ButtonStep);
    if (image != nullptr) {
        for (int y = 0; y < 600; ++y) {
            std::memcpy(page.data() + y * 4000, image->data() + y * 2400, 2400);
        }
    }
    benchmark::DoNotOptimize(page.data());
    benchmark::ClobberMemory();
    lap(timer, Blit);
}

void FloorPlaying(benchmark::State& state) {
    std::vector<std::uint8_t> page(PageBytes);
    for (auto _ : state) floorFrame(page, nullptr, nullptr);
}
BENCHMARK(FloorPlaying)->Unit(benchmark::kMicrosecond);

void FloorSolved(benchmark::State& state) {
    std::vector<std::uint8_t> page(PageBytes);
    const std::vector<std::uint8_t> image(2400 * 600, 0x42);
    for (auto _ : state) floorFrame(page, &image, nullptr);
}
BENCHMARK(FloorSolved)->Unit(benchmark::kMicrosecond);

void FloorSteps(benchmark::State& state) {
    std::vector<std::uint8_t> page(PageBytes);
    const std::vector<std::uint8_t> image(2400 * 600, 0x42);
    StepTimer timer;
    for (auto _ : state) {
        timer.last = Clock::now();
        floorFrame(page, &image, &timer);
    }
    timer.report(state);
}
BENCHMARK(FloorSteps)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
