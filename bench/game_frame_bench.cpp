// The game's whole frame on the Null back end, against the memory traffic a
// frame cannot avoid: two full-page fills, 200 cell fills and, when solved,
// one 600x600 copy.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/game_state.hpp"
#include "game/word_file.hpp"
#include "gfx/image.hpp"
#include "gfx/screen.hpp"

namespace {

constexpr std::size_t PageBytes = 1000 * 600 * 4;

void noSleep(std::int32_t, std::int32_t) {}

void writeWordFile(const std::filesystem::path& path) {
    std::ofstream file(path, std::ios::binary);
    auto line = [&](std::string text) {
        for (char& c : text)
            c = static_cast<char>(game::scrambleByte(static_cast<std::uint8_t>(c)));
        file << text << '\n';
    };
    line("");
    line("Tipp:");
    for (int i = 0; i < 40; ++i)
        line("WORT" + std::string(1, static_cast<char>('A' + i % 26)) + ";-Hinweis");
}

struct BenchGame {
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::path folder;
    game::Game state;

    BenchGame() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lettermoor-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        folder = pattern;
        std::filesystem::current_path(folder);
        writeWordFile(folder / "woerter.txt");
        gfx::presetDriverName("null");
        state.sleep = noSleep;
        game::startGameWithSeed(state, 42.0);
        // Half the cells green, as in a puzzle well under way.
        int marked = 0;
        for (auto& row : state.puzzle.grid)
            for (auto& cell : row) cell.highlight = (marked++ % 2 == 0) ? game::HighlightGreen : 0;
    }
    ~BenchGame() {
        game::endGame(state);
        gfx::closeScreen();
        gfx::presetDriverName(nullptr);
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
    }
    void toggleCell() {
        game::GridCell& cell = state.puzzle.grid[7][7];
        cell.highlight = cell.highlight == game::HighlightGreen ? 0 : game::HighlightGreen;
    }
    void makeSolved() {
        gfx::ImageBuffer* image = state.winPicture.image.get();
        for (std::int32_t y = 0; y < image->height; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(gfx::imageRow(image, y));
            for (std::int32_t x = 0; x < image->width; ++x) row[x] = 0xFF2040A0u;
        }
        for (auto& word : state.puzzle.words) word.found = 1;
        state.winPicture.solved = 1;
    }
};

// A frame equal to the one before is not drawn again, so the measured
// frames differ in one cell, as when the player selects a letter.
void GameFrameUnsolved(benchmark::State& s) {
    BenchGame bench;
    for (auto _ : s) {
        bench.toggleCell();
        benchmark::DoNotOptimize(game::runFrame(bench.state));
    }
}
BENCHMARK(GameFrameUnsolved)->Unit(benchmark::kMicrosecond);

void GameFrameSolved(benchmark::State& s) {
    BenchGame bench;
    bench.makeSolved();
    for (auto _ : s) {
        bench.toggleCell();
        benchmark::DoNotOptimize(game::runFrame(bench.state));
    }
}
BENCHMARK(GameFrameSolved)->Unit(benchmark::kMicrosecond);

// The idle game: the same puzzle frame again and again.
void GameFrameUnchanged(benchmark::State& s) {
    BenchGame bench;
    for (auto _ : s) benchmark::DoNotOptimize(game::runFrame(bench.state));
}
BENCHMARK(GameFrameUnchanged)->Unit(benchmark::kMicrosecond);

// The page's address escapes and memory is clobbered between the two page
// fills, or the compiler drops the first as a dead store.
void fillFloor(std::vector<std::uint8_t>& page) {
    benchmark::DoNotOptimize(page.data());
    std::memset(page.data(), 0x00, PageBytes);
    benchmark::ClobberMemory();
    std::memset(page.data(), 0xFF, PageBytes);
    benchmark::ClobberMemory();
    for (int cell = 0; cell < 200; ++cell) {
        const std::size_t x = static_cast<std::size_t>(cell % 20) * 30 + 1;
        const std::size_t y = static_cast<std::size_t>(cell / 20) * 30 + 1;
        for (std::size_t row = 0; row < 29; ++row)
            std::memset(page.data() + ((y + row) * 1000 + x) * 4, 0x80, 29 * 4);
    }
}

void FloorUnsolved(benchmark::State& s) {
    std::vector<std::uint8_t> page(PageBytes);
    for (auto _ : s) {
        fillFloor(page);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FloorUnsolved)->Unit(benchmark::kMicrosecond);

void FloorSolved(benchmark::State& s) {
    std::vector<std::uint8_t> page(PageBytes);
    std::vector<std::uint8_t> picture(600 * 600 * 4, 0x40);
    for (auto _ : s) {
        fillFloor(page);
        for (std::size_t row = 0; row < 600; ++row)
            std::memcpy(page.data() + row * 4000, picture.data() + row * 2400, 2400);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FloorSolved)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
