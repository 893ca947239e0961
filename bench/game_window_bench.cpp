// The game's own frame loop in a real window on a private Xvfb, left alone
// for ten seconds: the CPU the game process and the X server spend, once with
// a puzzle on screen and once solved, with the win picture showing.
//
// Counters: game_cpu_pct and xserver_cpu_pct, in percent of one core.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "game/game_state.hpp"
#include "gfx/screen.hpp"
#include "tests/x11/xvfb_server.hpp"

namespace {

using Clock = std::chrono::steady_clock;

pid_t xserver = -1;

// User plus system time of a process, in seconds, from /proc/<pid>/stat.
double processCpuSeconds(const std::string& pid) {
    std::ifstream file("/proc/" + pid + "/stat");
    std::string line;
    std::getline(file, line);
    // Fields after the command name, which is in parentheses and may hold spaces.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int index = 3; fields >> field && index <= 15; ++index) {
        if (index == 14 || index == 15) ticks += std::stod(field);
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Runs the game in the run folder for `seconds` after a second of settling,
// solved or not, and reports both processes' CPU share.
void runGame(benchmark::State& state, bool solved) {
    if (xserver < 0) {
        state.SkipWithError("no Xvfb");
        return;
    }
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(LETTERMOOR_RUN_DIR);
    game::Game game;
    game::startGame(game);
    if (solved) {
        for (auto& word : game.puzzle.words) word.found = 1;
    }
    const auto runFor = [&](std::chrono::seconds length) {
        const Clock::time_point end = Clock::now() + length;
        while (Clock::now() < end) game::runFrame(game);
    };
    for (auto _ : state) {
        runFor(std::chrono::seconds(1));
        const double gameBefore = processCpuSeconds("self");
        const double serverBefore = processCpuSeconds(std::to_string(xserver));
        const Clock::time_point started = Clock::now();
        runFor(std::chrono::seconds(10));
        const double wall = std::chrono::duration<double>(Clock::now() - started).count();
        state.counters["game_cpu_pct"] = (processCpuSeconds("self") - gameBefore) / wall * 100.0;
        state.counters["xserver_cpu_pct"] =
            (processCpuSeconds(std::to_string(xserver)) - serverBefore) / wall * 100.0;
        state.counters["solved"] = game.winPicture.solved;
    }
    game::endGame(game);
    gfx::closeScreen();
    std::filesystem::current_path(previous);
}

void IdleGameCpu(benchmark::State& state) {
    runGame(state, false);
}
BENCHMARK(IdleGameCpu)->Iterations(1)->Unit(benchmark::kSecond);

void SolvedGameCpu(benchmark::State& state) {
    runGame(state, true);
}
BENCHMARK(SolvedGameCpu)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    const lettermoor::testing::XvfbServer server;
    if (server.running()) {
        setenv("DISPLAY", server.name().c_str(), 1);
        xserver = server.pid();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
