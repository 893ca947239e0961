// Cost of showing a fully changed 1000x600 frame through the X11 back end,
// with and without MIT-SHM, and the CPU an idle open screen uses. Starts its
// own Xvfb.

#include <benchmark/benchmark.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "gfx/drivers/x11_driver.hpp"
#include "gfx/input.hpp"
#include "gfx/screen.hpp"

namespace {

int startXvfb() {
    char name[16];
    std::snprintf(name, sizeof name, ":%d", 600 + static_cast<int>(getpid() % 300));
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/usr/bin/Xvfb", "Xvfb", name, "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
              "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 200; ++i) {
        if (Display* probe = XOpenDisplay(name)) {
            XCloseDisplay(probe);
            setenv("DISPLAY", name, 1);
            return pid;
        }
        usleep(50 * 1000);
    }
    return -1;
}

// Marks every row and waits until the window thread has shown and cleared
// them: one full presentation pass plus the wait for the next pass.
void fullFramePass(benchmark::State& state, bool sharedMemory) {
    if (sharedMemory) {
        unsetenv("LETTERMOOR_X11_NOSHM");
    } else {
        setenv("LETTERMOOR_X11_NOSHM", "1", 1);
    }
    gfx::setDriverCandidates({&gfx::x11Driver()});
    if (gfx::openScreen(1000, 600, 32, 0, 0, 0) != 0) {
        state.SkipWithError("no X11 screen");
        return;
    }
    const gfx::Screen* screen = gfx::currentScreen();
    for (auto _ : state) {
        gfx::lockScreen();
        gfx::unlockScreen(-1, -1);
        bool shown = false;
        while (!shown) {
            gfx::lockScreen();
            shown = screen->dirtyRows[0] == 0 && screen->dirtyRows[599] == 0;
            gfx::unlockScreen(1, 0);
            if (!shown) std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    gfx::closeScreen();
}

void BM_FullFrameShm(benchmark::State& state) {
    fullFramePass(state, true);
}
void BM_FullFramePlain(benchmark::State& state) {
    fullFramePass(state, false);
}
BENCHMARK(BM_FullFrameShm)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FullFramePlain)->Unit(benchmark::kMillisecond)->UseRealTime();

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU per second of wall time while the screen is open and nothing changes.
void BM_IdleScreenCpu(benchmark::State& state) {
    unsetenv("LETTERMOOR_X11_NOSHM");
    gfx::setDriverCandidates({&gfx::x11Driver()});
    if (gfx::openScreen(1000, 600, 32, 0, 0, 0) != 0) {
        state.SkipWithError("no X11 screen");
        return;
    }
    double cpu = 0;
    for (auto _ : state) {
        const double before = processCpuSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        cpu = processCpuSeconds() - before;
    }
    state.counters["cpu_percent"] = cpu * 100.0;
    gfx::closeScreen();
}
BENCHMARK(BM_IdleScreenCpu)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    const int server = startXvfb();
    if (server < 0) return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    return 0;
}
