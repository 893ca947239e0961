// The game's whole frame on the Null back end, against its peers: the same
// scene drawn by a hand-written loop into a plain page, the floor of one
// page-sized memset, and the memory-bound floor of the frame's work done with
// memset and memcpy (two page fills, the green cells, the picture).
//
// FrameSteps and FloorSteps time a solved frame step by step and report the
// microseconds of each step per frame as counters (step_clear, step_white,
// ...); bench/report.py draws them.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/game_state.hpp"
#include "game/grid_view.hpp"
#include "game/word_file.hpp"
#include "gfx/blit.hpp"
#include "gfx/color.hpp"
#include "gfx/font.hpp"
#include "gfx/image.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"
#include "gfx/text.hpp"

namespace {

constexpr std::size_t PagePixels = std::size_t{1000} * 600;

void noSleep(std::int32_t, std::int32_t) {}

// The win picture: opaque colours with a band of mask pixels, as a picture
// with a transparent border has.
void paintWinPicture(gfx::ImageBuffer* image) {
    for (std::int32_t y = 0; y < image->height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(gfx::imageRow(image, y));
        for (std::int32_t x = 0; x < image->width; ++x) {
            const bool border = x < 40 || x >= 560 || y < 40 || y >= 560 || (x + y) % 97 == 0;
            row[x] = border ? gfx::MaskColor : 0xFF000000u | static_cast<std::uint32_t>(x * y);
        }
    }
}

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
        // The first two frames: the second looks for the win picture.
        for (int frame = 0; frame < 2; ++frame) static_cast<void>(game::runFrame(state));
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
        // The folder has no win.bmp, so the game made no image for it: make
        // the one a win.bmp would have been loaded into.
        if (!state.winPicture.image) {
            state.winPicture.image.reset(gfx::createImage(
                game::WinPictureSize, game::WinPictureSize, 0, 0, gfx::NoColorGiven));
        }
        if (!state.winPicture.image) std::abort();
        paintWinPicture(state.winPicture.image.get());
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

// The same scene drawn by a hand-written loop into a plain page, the code a
// programmer would write for this one frame without a runtime: the white
// fill (which covers the black clear, so that is not written), the cell
// outlines, the green cells, the letters and hints in the built-in font, the
// button, and the win picture without its mask pixels.
class DirectFrame {
  public:
    std::vector<std::uint32_t> page = std::vector<std::uint32_t>(PagePixels);

    void draw(const game::Game& game) {
        std::fill(page.begin(), page.end(), gfx::White);
        for (std::int32_t column = 0; column < game::GridSize; ++column) {
            for (std::int32_t row = 0; row < game::GridSize; ++row) {
                const game::GridCell& cell =
                    game.puzzle
                        .grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
                const std::int32_t x = game::CellSize * column;
                const std::int32_t y = game::CellSize * row;
                outline(x, y, x + game::CellSize, y + game::CellSize);
                if (cell.highlight == game::HighlightGreen) {
                    box(x + 1, y + 1, x + game::CellSize - 1, y + game::CellSize - 1, gfx::Green);
                }
                if (!cell.letter.empty()) glyph(x + 13, y + 13, cell.letter[0]);
            }
        }
        for (const auto* label = game.panel.labels.get(); label != nullptr;
             label = label->next.get()) {
            const auto perLine = static_cast<std::size_t>(label->charsPerLine);
            std::int32_t top = label->y;
            for (std::size_t start = 0; start < label->text.size(); start += perLine, top += 10) {
                text(label->x, top, std::string_view(label->text).substr(start, perLine));
                if (label->struck == 1)
                    box(label->x, top + 4, label->x + 8 * label->charsPerLine, top + 4, gfx::Black);
            }
        }
        for (const auto* button = game.panel.buttons.get(); button != nullptr;
             button = button->next.get()) {
            outline(button->x, button->y, button->x + button->width, button->y + button->height);
            text(button->x + 2, button->y + 2, button->caption);
        }
        if (game.winPicture.solved == 1) picture(*game.winPicture.image);
    }

  private:
    std::uint32_t* at(std::int32_t x, std::int32_t y) {
        return page.data() + static_cast<std::ptrdiff_t>(y) * game::ScreenWidth + x;
    }
    // Corners included, as the game's boxes are; clipped to the page.
    void box(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
             std::uint32_t color) {
        x1 = std::max(x1, 0);
        y1 = std::max(y1, 0);
        x2 = std::min(x2, game::ScreenWidth - 1);
        y2 = std::min(y2, game::ScreenHeight - 1);
        for (std::int32_t y = y1; y <= y2; ++y) std::fill(at(x1, y), at(x2 + 1, y), color);
    }
    void outline(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
        box(x1, y1, x2, y1, gfx::Black);
        box(x1, y2, x2, y2, gfx::Black);
        box(x1, y1 + 1, x1, y2 - 1, gfx::Black);
        box(x2, y1 + 1, x2, y2 - 1, gfx::Black);
    }
    void glyph(std::int32_t x, std::int32_t y, char letter) {
        const std::uint8_t* rows =
            &gfx::BuiltinFont[std::size_t{8} * static_cast<std::uint8_t>(letter)];
        for (std::int32_t row = 0; row < 8; ++row) {
            if (y + row < 0 || y + row >= game::ScreenHeight) continue;
            std::uint32_t* pixel = at(x, y + row);
            for (std::int32_t bit = 0; bit < 8; ++bit) {
                if ((rows[row] >> bit & 1u) != 0 && x + bit >= 0 && x + bit < game::ScreenWidth)
                    pixel[bit] = gfx::Black;
            }
        }
    }
    void text(std::int32_t x, std::int32_t y, std::string_view characters) {
        for (char c : characters) {
            glyph(x, y, c);
            x += 8;
        }
    }
    // The picture's pixels go to the page with their alpha byte cleared, as
    // the game's transparent put writes them.
    void picture(const gfx::ImageBuffer& image) {
        for (std::int32_t y = 0; y < image.height && y < game::ScreenHeight; ++y) {
            const auto* source = reinterpret_cast<const std::uint32_t*>(gfx::imageRow(&image, y));
            std::uint32_t* target = at(0, y);
            const std::int32_t width = std::min(image.width, game::ScreenWidth);
            // A select rather than a branch, so the compiler can vectorise it.
            for (std::int32_t x = 0; x < width; ++x) {
                const std::uint32_t pixel = source[x];
                target[x] = gfx::isMaskColor(pixel) ? target[x] : pixel & 0x00FFFFFFu;
            }
        }
    }
};

// The page as the game left it after its last frame.
std::size_t pixelsDifferingFromGame(const DirectFrame& direct) {
    const gfx::Screen* screen = gfx::activeScreen();
    if (screen == nullptr || screen->bytesPerPixel != 4) return PagePixels;
    std::size_t differing = 0;
    for (std::int32_t y = 0; y < game::ScreenHeight; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            screen->visiblePixels + static_cast<std::ptrdiff_t>(y) * screen->pitch);
        const std::uint32_t* drawn =
            direct.page.data() + static_cast<std::ptrdiff_t>(y) * game::ScreenWidth;
        for (std::int32_t x = 0; x < game::ScreenWidth; ++x)
            differing += row[x] != drawn[x] ? 1 : 0;
    }
    return differing;
}

// The direct loop is only a peer while it draws the game's pixels: it is
// compared with the game's page once before it is timed.
void directLoop(benchmark::State& s, bool solved) {
    BenchGame bench;
    if (solved) bench.makeSolved();
    static_cast<void>(game::runFrame(bench.state));
    DirectFrame direct;
    direct.draw(bench.state);
    const std::size_t differing = pixelsDifferingFromGame(direct);
    s.counters["differing_pixels"] = static_cast<double>(differing);
    if (differing != 0) {
        s.SkipWithError("the direct loop does not draw the game's frame");
        return;
    }
    for (auto _ : s) {
        bench.toggleCell();
        benchmark::DoNotOptimize(direct.page.data());
        direct.draw(bench.state);
        benchmark::ClobberMemory();
    }
}

void DirectLoopUnsolved(benchmark::State& s) {
    directLoop(s, false);
}
BENCHMARK(DirectLoopUnsolved)->Unit(benchmark::kMicrosecond);

void DirectLoopSolved(benchmark::State& s) {
    directLoop(s, true);
}
BENCHMARK(DirectLoopSolved)->Unit(benchmark::kMicrosecond);

// The least a frame can cost: the page written once.
void FloorOneMemset(benchmark::State& s) {
    std::vector<std::uint8_t> page(PagePixels * 4);
    for (auto _ : s) {
        benchmark::DoNotOptimize(page.data());
        std::memset(page.data(), 0xFF, page.size());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FloorOneMemset)->Unit(benchmark::kMicrosecond);

enum Step { Clear, WhiteFill, Outlines, GreenFills, Letters, Labels, ButtonStep, Blit, StepCount };
constexpr std::array<const char*, StepCount> StepNames = {
    "step_clear",   "step_white",  "step_outlines", "step_green",
    "step_letters", "step_labels", "step_button",   "step_blit"};

// The thread's own CPU time in seconds: the machine is shared, and a step
// must not be charged for the time another process held the core.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Adds the time since the last lap to one step.
struct StepTimer {
    std::array<double, StepCount> seconds{};
    double last = threadSeconds();
    void lap(Step step) {
        const double now = threadSeconds();
        seconds[step] += now - last;
        last = now;
    }
    void report(benchmark::State& state) const {
        for (std::size_t step = 0; step < StepCount; ++step) {
            state.counters[StepNames[step]] =
                benchmark::Counter(seconds[step] * 1e6, benchmark::Counter::kAvgIterations);
        }
    }
};

// Each step is carried out before its lap by an outer unlock, so its time
// includes its own pixels (and the clear is not skipped under the white fill).
void drawnLap(StepTimer& timer, Step step) {
    gfx::unlockScreen(1, 0);
    gfx::lockScreen();
    timer.lap(step);
}

bool isGreen(int row, int column) {
    return (row * game::GridSize + column) % 2 == 0;
}

enum CellPart { CellOutline, CellGreen, CellLetter };

// The grid as the game draws it, cell by cell, column after column; `part`
// picks what of each cell is drawn. A frame equal to the one before is not
// drawn again, so one letter changes from frame to frame.
void drawGrid(CellPart part, unsigned frame) {
    for (int c = 0; c < game::GridSize; ++c) {
        for (int r = 0; r < game::GridSize; ++r) {
            const auto x = static_cast<float>(game::CellSize * c);
            const auto y = static_cast<float>(game::CellSize * r);
            if (part == CellOutline) {
                gfx::drawLine(nullptr, x, y, x + game::CellSize, y + game::CellSize, gfx::Black,
                              gfx::Box, 0xFFFF, 0);
            }
            if (part == CellGreen && isGreen(r, c)) {
                gfx::drawLine(nullptr, x + 1, y + 1, x + 29, y + 29, gfx::Green, gfx::FilledBox,
                              0xFFFF, 0);
            }
            if (part == CellLetter) {
                const auto changing = static_cast<int>(r == 7 && c == 7 ? frame % 2 : 0);
                const char letter[1] = {static_cast<char>('A' + (r + c + changing) % 24)};
                gfx::drawText(nullptr, x + 13, y + 13, 4, std::string_view(letter, 1), gfx::Black);
            }
        }
    }
}

// The frame as the runtime's calls draw it, the cells in three passes, one
// per kind of call; frames, green cells and letters touch disjoint pixels, so
// the passes draw the same frame.
void drawSteps(const gfx::ImageBuffer& solved, StepTimer& timer) {
    static const std::string label = "Ein Hinweis auf ein Wort im Gitter ....!";
    static unsigned frame = 0;
    ++frame;
    gfx::lockScreen();
    gfx::clearScreen(gfx::ClearDefault);
    drawnLap(timer, Clear);
    gfx::drawLine(nullptr, 0, 0, 1000, 600, gfx::White, gfx::FilledBox, 0xFFFF, 0);
    drawnLap(timer, WhiteFill);
    drawGrid(CellOutline, frame);
    drawnLap(timer, Outlines);
    drawGrid(CellGreen, frame);
    drawnLap(timer, GreenFills);
    drawGrid(CellLetter, frame);
    drawnLap(timer, Letters);
    for (int i = 0; i < 10; ++i) {
        const float y = 20.0f + 50.0f * static_cast<float>(i);
        gfx::drawText(nullptr, 650, y, 4, label, gfx::Black);
        if (i % 2 == 0)
            gfx::drawLine(nullptr, 650, y + 4, 970, y + 4, gfx::Black, gfx::Line, 0xFFFF, 0);
    }
    drawnLap(timer, Labels);
    gfx::drawLine(nullptr, 750, 550, 850, 560, gfx::Black, gfx::Box, 0xFFFF, 0);
    gfx::drawText(nullptr, 752, 552, 4, "Neues R\x84tsel", gfx::Black);
    drawnLap(timer, ButtonStep);
    gfx::putImage(nullptr, 0, 0, &solved, gfx::WholeImage, gfx::WholeImage, gfx::WholeImage,
                  gfx::WholeImage, 0, 0, gfx::putTransparent, -1, nullptr, nullptr);
    gfx::unlockScreen(-1, -1);
    timer.lap(Blit);
}

void FrameSteps(benchmark::State& state) {
    gfx::presetDriverName("null");
    gfx::openScreen(1000, 600, 32, 0, 0, 0);
    const gfx::ImageHandle picture(
        gfx::createImage(game::WinPictureSize, game::WinPictureSize, 0, 0, gfx::NoColorGiven));
    paintWinPicture(picture.get());
    StepTimer timer;
    for (auto _ : state) {
        timer.last = threadSeconds();
        drawSteps(*picture, timer);
        benchmark::ClobberMemory();
    }
    timer.report(state);
    gfx::closeScreen();
    gfx::presetDriverName(nullptr);
}
BENCHMARK(FrameSteps)->Unit(benchmark::kMicrosecond);

// The floor: the clear and the white fill as two page memsets, the green
// cells as memsets of their rows, and for the solved frame one image copy.
void floorFrame(std::vector<std::uint8_t>& page, const std::vector<std::uint8_t>* image,
                StepTimer* timer) {
    const auto lap = [timer](Step step) {
        if (timer != nullptr) timer->lap(step);
    };
    std::memset(page.data(), 0x00, page.size());
    benchmark::ClobberMemory();
    lap(Clear);
    std::memset(page.data(), 0xFF, page.size());
    benchmark::ClobberMemory();
    lap(WhiteFill);
    lap(Outlines);
    for (int r = 0; r < game::GridSize; ++r) {
        for (int c = 0; c < game::GridSize; ++c) {
            if (!isGreen(r, c)) continue;
            for (int row = 0; row < 29; ++row) {
                std::memset(page.data() + (30 * r + 1 + row) * 4000 + (30 * c + 1) * 4, 0x80,
                            29 * 4);
            }
        }
    }
    benchmark::ClobberMemory();
    lap(GreenFills);
    lap(Letters);
    lap(Labels);
    lap(ButtonStep);
    if (image != nullptr) {
        for (int y = 0; y < 600; ++y) {
            std::memcpy(page.data() + y * 4000, image->data() + y * 2400, 2400);
        }
    }
    benchmark::DoNotOptimize(page.data());
    benchmark::ClobberMemory();
    lap(Blit);
}

void FloorPlaying(benchmark::State& state) {
    std::vector<std::uint8_t> page(PagePixels * 4);
    for (auto _ : state) floorFrame(page, nullptr, nullptr);
}
BENCHMARK(FloorPlaying)->Unit(benchmark::kMicrosecond);

void FloorSolved(benchmark::State& state) {
    std::vector<std::uint8_t> page(PagePixels * 4);
    const std::vector<std::uint8_t> image(2400 * 600, 0x42);
    for (auto _ : state) floorFrame(page, &image, nullptr);
}
BENCHMARK(FloorSolved)->Unit(benchmark::kMicrosecond);

void FloorSteps(benchmark::State& state) {
    std::vector<std::uint8_t> page(PagePixels * 4);
    const std::vector<std::uint8_t> image(2400 * 600, 0x42);
    StepTimer timer;
    for (auto _ : state) {
        timer.last = threadSeconds();
        floorFrame(page, &image, &timer);
    }
    timer.report(state);
}
BENCHMARK(FloorSteps)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
