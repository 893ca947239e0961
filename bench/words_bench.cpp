// Loading a large word file and dealing from the default list; the time and
// peak memory of loading very large lists, each in a fresh process of its own.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "game/generator.hpp"
#include "game/word_file.hpp"
#include "runtime/random.hpp"

namespace {

std::string scramble(std::string text) {
    for (char& c : text) c = static_cast<char>(game::scrambleByte(static_cast<std::uint8_t>(c)));
    return text;
}

// A word list of `entries` entries of varied length: a comment line, the
// hint prefix, then "WORT<n>; ein Hinweis zu WORT<n>" and a few '!'.
std::string wordList(std::int64_t entries, std::string_view end, int fewestMarks, int markKinds) {
    std::string bytes = scramble("generated") + std::string(end) + scramble("Hinweis:");
    bytes += end;
    bytes.reserve(static_cast<std::size_t>(entries) * 48);
    for (std::int64_t i = 0; i < entries; ++i) {
        const std::string word = "WORT" + std::to_string(i * 7919 % 1'000'003);
        const auto marks = static_cast<std::size_t>(fewestMarks + i % markKinds);
        bytes += scramble(word + "; ein Hinweis zu " + word + std::string(marks, '!'));
        bytes += end;
    }
    return bytes;
}

// A file of the given bytes in the temporary folder, removed with the object.
struct TempFile {
    std::filesystem::path path;
    TempFile(const std::string& kind, const std::string& bytes)
        : path(std::filesystem::temp_directory_path() /
               ("lettermoor-bench-" + kind + "-" + std::to_string(::getpid()) + ".txt")) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    ~TempFile() { std::filesystem::remove(path); }
};

// 100,000 entries, CR LF line ends.
void BM_LoadWordFile(benchmark::State& state) {
    const std::string bytes = wordList(100'000, "\r\n", 0, 17);
    const TempFile file("words", bytes);
    game::WordList list;
    std::string prefix;
    for (auto _ : state) {
        game::loadWordFile(file.path.string(), list, prefix);
        benchmark::DoNotOptimize(list.words.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
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

// Peak resident memory of this process so far, in KiB. Not getrusage's
// maxrss: that one keeps the peak of the process the child was spawned from.
long peakKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

// In the child: loads the file as the game does, deals once, and prints the
// load seconds, the deal seconds and the peak memory.
int measureLoad(const char* file) {
    game::WordList list;
    std::string prefix;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    game::loadWordFile(file, list, prefix);
    const std::clock_t cpuLoaded = std::clock();
    const auto loaded = std::chrono::steady_clock::now();
    runtime::seedRandom(1, 0);
    game::Puzzle puzzle;
    benchmark::DoNotOptimize(game::generatePuzzle(list, puzzle));
    const auto dealt = std::chrono::steady_clock::now();
    const std::chrono::duration<double> load = loaded - start;
    const std::chrono::duration<double> deal = dealt - loaded;
    // The processor time too: on a shared machine the wall clock counts others' work.
    std::printf("%f %f %ld %f\n", load.count(), deal.count(), peakKib(),
                static_cast<double>(cpuLoaded - cpuStart) / CLOCKS_PER_SEC);
    return 0;
}

// A list of about 200 MB: 4.5 million real entries of about 44 bytes.
std::string bigList() {
    return wordList(4'500'000, "\n", 6, 9);
}

// Writes the bytes to a file, measures a fresh process loading it, removes it.
void loadInChild(benchmark::State& state, const std::string& bytes) {
    const TempFile file("big", bytes);
    const double fileMb = static_cast<double>(bytes.size()) / (1 << 20);
    double load = 0;
    double deal = 0;
    long peak = 0;
    double loadCpu = 0;
    for (auto _ : state) {
        const std::string command =
            "/proc/" + std::to_string(::getpid()) + "/exe --measure-load " + file.path.string();
        std::FILE* child = ::popen(command.c_str(), "r");
        if (child == nullptr ||
            std::fscanf(child, "%lf %lf %ld %lf", &load, &deal, &peak, &loadCpu) != 4) {
            state.SkipWithError("the measuring child failed");
        }
        if (child != nullptr) ::pclose(child);
        state.SetIterationTime(load);
    }
    state.counters["file_mb"] = fileMb;
    state.counters["load_s"] = load;
    state.counters["load_cpu_s"] = loadCpu;
    state.counters["deal_s"] = deal;
    state.counters["peak_mb"] = static_cast<double>(peak) / 1024;
    state.counters["goal_mb"] = 2 * fileMb + 16;
}

void BM_LoadBigList(benchmark::State& state) {
    loadInChild(state, bigList());
}
BENCHMARK(BM_LoadBigList)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_LoadTenMegabytesOfLineFeeds(benchmark::State& state) {
    loadInChild(state, std::string(std::size_t{10} << 20, '\n'));
}
BENCHMARK(BM_LoadTenMegabytesOfLineFeeds)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Runs `lettermoor-words check` on the bytes in a child process with its
// findings going to /dev/null: wall and processor seconds, peak memory.
void checkInChild(benchmark::State& state, const std::string& bytes) {
    const TempFile file("check", bytes);
    const std::string tool =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "lettermoor-words";
    const double fileMb = static_cast<double>(bytes.size()) / (1 << 20);
    double wall = 0;
    double cpu = 0;
    double peakMb = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = ::fork();
        if (child == 0) {
            const int in = ::open(file.path.c_str(), O_RDONLY);
            const int out = ::open("/dev/null", O_WRONLY);
            if (in < 0 || out < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0) ::_exit(127);
            ::execl(tool.c_str(), "lettermoor-words", "check", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        struct rusage usage {};
        if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
            WEXITSTATUS(status) > 1) {
            state.SkipWithError("lettermoor-words check failed");
        }
        wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        peakMb = static_cast<double>(usage.ru_maxrss) / 1024;
        state.SetIterationTime(wall);
    }
    state.counters["file_mb"] = fileMb;
    state.counters["check_s"] = wall;
    state.counters["check_cpu_s"] = cpu;
    state.counters["peak_mb"] = peakMb;
    state.counters["goal_mb"] = 2 * fileMb + 16;
}

void BM_CheckBigList(benchmark::State& state) {
    checkInChild(state, bigList());
}
BENCHMARK(BM_CheckBigList)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Ten million one-letter entries: the most entries for the fewest bytes.
void BM_CheckShortWords(benchmark::State& state) {
    std::string line(1, static_cast<char>(game::scrambleByte('A')));
    line += '\n';
    std::string bytes = line + line;
    bytes.reserve(std::size_t{20} << 20);
    for (int i = 0; i < 10'000'000; ++i) bytes += line;
    checkInChild(state, bytes);
}
BENCHMARK(BM_CheckShortWords)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--measure-load") == 0) return measureLoad(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
