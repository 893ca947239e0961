// Loading a large word file and dealing from the default list.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "game/generator.hpp"
#include "game/word_file.hpp"
#include "runtime/random.hpp"

namespace {

std::string scramble(const std::string& plain) {
    std::string out;
    out.reserve(plain.size());
    for (const char c : plain) {
        out.push_back(static_cast<char>(game::scrambleByte(static_cast<std::uint8_t>(c))));
    }
    return out;
}

// 100,000 entries of varied length, CR LF line ends.
std::string largeWordFile() {
    std::string bytes = scramble("generated") + "\r\n" + scramble("Hinweis: ") + "\r\n";
    for (int i = 0; i < 100'000; ++i) {
        const std::string word = "WORT" + std::to_string(i * 7919 % 1'000'003);
        bytes += scramble(word + "; ein Hinweis zu " + word + std::string(i % 17, '!')) + "\r\n";
    }
    return bytes;
}

void BM_LoadWordFile(benchmark::State& state) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("lettermoor-bench-words-" + std::to_string(::getpid()) + ".txt");
    const std::string bytes = largeWordFile();
    std::ofstream(path, std::ios::binary) << bytes;
    game::WordList list;
    std::string prefix;
    for (auto _ : state) {
        game::loadWordFile(path.string(), list, prefix);
        benchmark::DoNotOptimize(list.words.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadWordFile)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_GeneratePuzzleDefaultList(benchmark::State& state) {
    // Read without loadWordFile, which would create a missing file.
    std::ifstream in("run/woerter.txt", std::ios::binary);
    game::WordList list;
    std::string prefix;
    game::loadWordText(std::string(std::istreambuf_iterator<char>(in), {}), list, prefix);
    if (game::countUsableSlots(list) < 10) {
        state.SkipWithError("run from the build folder: needs run/woerter.txt");
        return;
    }
    runtime::seedRandom(1, 0);
    game::Puzzle puzzle;
    for (auto _ : state) {
        benchmark::DoNotOptimize(game::generatePuzzle(list, puzzle));
    }
}
BENCHMARK(BM_GeneratePuzzleDefaultList)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
