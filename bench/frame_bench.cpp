// The game's frame drawn with the runtime's primitives, against the
// memory-bound floor of the same work done with memset and memcpy.

#include <benchmark/benchmark.h>

#include <cstring>
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

void openScreenOnce() {
    if (gfx::currentScreen() != nullptr) return;
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

void drawFrame(const gfx::ImageBuffer* solved) {
    static const char label[] = "Ein Hinweis auf ein Wort im Gitter ..!";
    gfx::lockScreen();
    gfx::clearScreen(gfx::ClearDefault);
    gfx::drawLine(nullptr, 0, 0, 1000, 600, gfx::White, gfx::FilledBox, 0xFFFF, 0);
    for (int r = 0; r < GridSize; ++r) {
        for (int c = 0; c < GridSize; ++c) {
            const float x = Cell * static_cast<float>(c);
            const float y = Cell * static_cast<float>(r);
            gfx::drawLine(nullptr, x, y, x + Cell, y + Cell, gfx::Black, gfx::Box, 0xFFFF, 0);
            if ((r * GridSize + c) % 2 == 0) {
                gfx::drawLine(nullptr, x + 1, y + 1, x + 29, y + 29, gfx::Green, gfx::FilledBox,
                              0xFFFF, 0);
            }
            const char letter[1] = {static_cast<char>('A' + (r + c) % 24)};
            gfx::drawText(nullptr, x + 13, y + 13, 4, std::string_view(letter, 1), gfx::Black);
        }
    }
    for (int i = 0; i < 10; ++i) {
        gfx::drawText(nullptr, 650, 20.0f + 50.0f * static_cast<float>(i), 4,
                      std::string_view(label, 40), gfx::Black);
    }
    gfx::drawLine(nullptr, 750, 550, 850, 560, gfx::Black, gfx::Box, 0xFFFF, 0);
    gfx::drawText(nullptr, 752, 552, 4, "Neues R\x84tsel", gfx::Black);
    if (solved != nullptr) {
        gfx::putImage(nullptr, 0, 0, solved, gfx::WholeImage, gfx::WholeImage, gfx::WholeImage,
                      gfx::WholeImage, 0, 0, gfx::putTransparent, -1, nullptr, nullptr);
    }
    gfx::unlockScreen(-1, -1);
}

void FramePlaying(benchmark::State& state) {
    openScreenOnce();
    for (auto _ : state) {
        drawFrame(nullptr);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FramePlaying);

void FrameSolved(benchmark::State& state) {
    openScreenOnce();
    const gfx::ImageHandle picture = winPicture();
    for (auto _ : state) {
        drawFrame(picture.get());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FrameSolved);

void TransparentBlitOnly(benchmark::State& state) {
    openScreenOnce();
    const gfx::ImageHandle picture = winPicture();
    for (auto _ : state) {
        gfx::putImage(nullptr, 0, 0, picture.get(), gfx::WholeImage, 0, 0, 0, 0, 0,
                      gfx::putTransparent, -1, nullptr, nullptr);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(TransparentBlitOnly);

// The floor: the clear and the white fill as two page memsets, the green
// cells as memsets of their rows, and for the solved frame one image copy.
void floorFrame(std::vector<std::uint8_t>& page, const std::vector<std::uint8_t>* image) {
    std::memset(page.data(), 0x00, page.size());
    std::memset(page.data(), 0xFF, page.size());
    for (int cell = 0; cell < 200; ++cell) {
        const int r = (2 * cell) / GridSize;
        const int c = (2 * cell) % GridSize;
        for (int row = 0; row < 29; ++row) {
            std::memset(page.data() + (30 * r + 1 + row) * 4000 + (30 * c + 1) * 4, 0x80, 29 * 4);
        }
    }
    if (image != nullptr) {
        for (int y = 0; y < 600; ++y) {
            std::memcpy(page.data() + y * 4000, image->data() + y * 2400, 2400);
        }
    }
    benchmark::DoNotOptimize(page.data());
    benchmark::ClobberMemory();
}

void FloorPlaying(benchmark::State& state) {
    std::vector<std::uint8_t> page(4000 * 600);
    for (auto _ : state) floorFrame(page, nullptr);
}
BENCHMARK(FloorPlaying);

void FloorSolved(benchmark::State& state) {
    std::vector<std::uint8_t> page(4000 * 600);
    const std::vector<std::uint8_t> image(2400 * 600, 0x42);
    for (auto _ : state) floorFrame(page, &image);
}
BENCHMARK(FloorSolved);

}  // namespace

BENCHMARK_MAIN();
