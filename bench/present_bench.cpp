// Cost of showing a 1000x600 frame through the X11 back end, with and
// without MIT-SHM and the row comparison, shown 1:1 and as 2 by 2 blocks in a
// 2000x1200 window, beside the copy of a frame's bytes. Starts its own
// 2560x1600 Xvfb.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "gfx/drivers/x11_driver.hpp"
#include "gfx/screen.hpp"
#include "tests/x11/xvfb_server.hpp"

namespace {

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Waits until the window thread has run a pass over the marked rows.
void waitForPass(std::uint64_t passesBefore) {
    while (gfx::x11PresentationStats().passes == passesBefore) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// Writes a value into every pixel, telling the runtime first.
void repaintFrame(std::uint32_t value) {
    gfx::notePagesWritten();
    const gfx::Screen* screen = gfx::activeScreen();
    auto* pixels = reinterpret_cast<std::uint32_t*>(screen->visiblePixels);
    std::fill(pixels, pixels + screen->width * screen->height, value);
}

// A presentation pass measured: the back end's switches and the frame.
struct PassCase {
    const char* name;
    bool sharedMemory;
    bool compareRows;
    // Every row differs from the last frame; otherwise the frame is written
    // again with the same pixels, as the solved game's is, and marked all the
    // same.
    bool changed;
    const char* scale;
    int passes;
};
constexpr PassCase Passes[] = {
    {"PresentUnchangedShm", true, true, false, "1", 200},
    {"PresentUnchangedShmNoDiff", true, false, false, "1", 200},
    {"PresentChangedShm", true, true, true, "1", 200},
    {"PresentChangedShmScale2", true, true, true, "2", 200},
    {"PresentChangedPlain", false, true, true, "1", 100},
};

// One presentation pass over a frame whose 600 rows are all marked, timed by
// the window thread itself: from finding the marks until the server has the
// rows. The wait for the next pass is not counted.
void fullFramePass(benchmark::State& state, const PassCase& pass) {
    setenv("LETTERMOOR_SCALE", pass.scale, 1);
    if (pass.sharedMemory) {
        unsetenv("LETTERMOOR_X11_NOSHM");
    } else {
        setenv("LETTERMOOR_X11_NOSHM", "1", 1);
    }
    if (pass.compareRows) {
        unsetenv("LETTERMOOR_X11_NODIFF");
    } else {
        setenv("LETTERMOOR_X11_NODIFF", "1", 1);
    }
    gfx::setDriverCandidates({&gfx::x11Driver()});
    if (gfx::openScreen(1000, 600, 32, 0, 0, 0) != 0) {
        state.SkipWithError("no X11 screen");
        return;
    }
    std::uint32_t value = 0xFF204060u;
    gfx::lockScreen();
    repaintFrame(value);
    gfx::unlockScreen(-1, -1);
    waitForPass(0);
    std::uint64_t rows = 0;
    std::uint64_t cpu = 0;
    for (auto _ : state) {
        const gfx::PresentationStats before = gfx::x11PresentationStats();
        gfx::lockScreen();
        repaintFrame(pass.changed ? value ^= 0x00FFFFFFu : value);
        gfx::unlockScreen(-1, -1);
        waitForPass(before.passes);
        const gfx::PresentationStats after = gfx::x11PresentationStats();
        state.SetIterationTime(static_cast<double>(after.nanoseconds - before.nanoseconds) / 1e9);
        rows += after.rowsSent - before.rowsSent;
        cpu += after.cpuNanoseconds - before.cpuNanoseconds;
    }
    state.counters["rows_sent"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kAvgIterations);
    state.counters["pass_cpu_us"] =
        benchmark::Counter(static_cast<double>(cpu) / 1e3, benchmark::Counter::kAvgIterations);
    gfx::closeScreen();
}

// The peer of a full-frame pass: one copy of a frame's 2.4 MB.
void FrameMemcpy(benchmark::State& state) {
    std::vector<std::uint8_t> from(1000 * 600 * 4, 0x5A);
    std::vector<std::uint8_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FrameMemcpy)->Unit(benchmark::kMicrosecond);

// The same copy at the pace of presentation passes, one every 10 ms, so its
// buffers have sat idle as long as the frame and the window's copy have when
// a pass reads them. Timed in the thread's own CPU time, like the passes.
void FrameMemcpyPaced(benchmark::State& state) {
    std::vector<std::uint8_t> from(1000 * 600 * 4, 0x5A);
    std::vector<std::uint8_t> to(from.size(), 0);
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const double started = threadCpuSeconds();
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        state.SetIterationTime(threadCpuSeconds() - started);
    }
}
BENCHMARK(FrameMemcpyPaced)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(200);

}  // namespace

int main(int argc, char** argv) {
    const lettermoor::testing::XvfbServer server("2560x1600x24");
    if (!server.running()) return 1;
    setenv("DISPLAY", server.name().c_str(), 1);
    for (const PassCase& pass : Passes) {
        benchmark::RegisterBenchmark(pass.name, fullFramePass, pass)
            ->Unit(benchmark::kMicrosecond)
            ->UseManualTime()
            ->Iterations(pass.passes);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
