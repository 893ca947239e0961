// lettermoor-make-win-picture OUT.bmp: draws the picture shown over the grid
// when a puzzle is solved, as a 600x600 24-bit bitmap. Magenta marks the
// pixels through which the grid stays visible.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/font.hpp"
#include "runtime/standard_streams.hpp"
#include "runtime/version.hpp"

namespace {

constexpr int Size = 600;

constexpr const char* Usage =
    "Usage: lettermoor-make-win-picture OUT.bmp\n"
    "\n"
    "Draws the game's default win picture into OUT.bmp, a 600x600 24-bit\n"
    "bitmap; magenta pixels let the grid show through.\n"
    "\n"
    "Options:\n"
    "  --help     this text\n"
    "  --version  the tool's version and licence\n"
    "\n"
    "Exit status:\n"
    "  0  written\n"
    "  1  OUT.bmp could not be written\n"
    "  2  bad usage\n";

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

constexpr Rgb Transparent{255, 0, 255};
constexpr Rgb Outline{40, 24, 8};
constexpr Rgb Gold{236, 184, 48};
constexpr Rgb PanelTop{28, 78, 160};
constexpr Rgb PanelBottom{10, 30, 84};
constexpr Rgb TitleColor{255, 222, 80};
constexpr Rgb Shadow{6, 12, 30};
constexpr Rgb SubtitleColor{240, 244, 255};

struct Canvas {
    std::vector<Rgb> pixels = std::vector<Rgb>(std::size_t{Size} * Size, Transparent);
    void set(int x, int y, Rgb c) {
        if (x >= 0 && y >= 0 && x < Size && y < Size) pixels[y * Size + x] = c;
    }
};

Rgb mix(Rgb a, Rgb b, int numerator, int denominator) {
    auto channel = [&](int from, int to) {
        return static_cast<std::uint8_t>(from + (to - from) * numerator / denominator);
    };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

// Whether (x, y) lies in the box [left, right] x [top, bottom] with corners
// rounded to `radius`.
bool inRoundedBox(int x, int y, int left, int top, int right, int bottom, int radius) {
    if (x < left || x > right || y < top || y > bottom) return false;
    const int cx = std::clamp(x, left + radius, right - radius);
    const int cy = std::clamp(y, top + radius, bottom - radius);
    const int dx = x - cx;
    const int dy = y - cy;
    return dx * dx + dy * dy <= radius * radius;
}

void drawBanner(Canvas& canvas, int left, int top, int right, int bottom) {
    constexpr int Radius = 22;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            if (!inRoundedBox(x, y, left, top, right, bottom, Radius)) continue;
            Rgb color = Outline;
            if (inRoundedBox(x, y, left + 3, top + 3, right - 3, bottom - 3, Radius - 3)) {
                color = Gold;
            }
            if (inRoundedBox(x, y, left + 9, top + 9, right - 9, bottom - 9, Radius - 9)) {
                color = mix(PanelTop, PanelBottom, y - top, bottom - top);
            }
            canvas.set(x, y, color);
        }
    }
}

// Text in the built-in 8x8 font, each font pixel a scale x scale square.
void drawText(Canvas& canvas, std::string_view text, int x, int y, int scale, Rgb color) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto ch = static_cast<unsigned char>(text[i]);
        for (int row = 0; row < 8; ++row) {
            const std::uint8_t bits = gfx::BuiltinFont[ch * 8u + static_cast<unsigned>(row)];
            for (int col = 0; col < 8; ++col) {
                if (((bits >> col) & 1u) == 0) continue;
                const int px = x + (static_cast<int>(i) * 8 + col) * scale;
                for (int dy = 0; dy < scale; ++dy) {
                    for (int dx = 0; dx < scale; ++dx) {
                        canvas.set(px + dx, y + row * scale + dy, color);
                    }
                }
            }
        }
    }
}

void drawCentredText(Canvas& canvas, std::string_view text, int y, int scale, Rgb color,
                     int shadowOffset) {
    const int width = static_cast<int>(text.size()) * 8 * scale;
    const int x = (Size - width) / 2;
    if (shadowOffset > 0) drawText(canvas, text, x + shadowOffset, y + shadowOffset, scale, Shadow);
    drawText(canvas, text, x, y, scale, color);
}

void drawStar(Canvas& canvas, int cx, int cy, int radius, Rgb color) {
    for (int y = -radius; y <= radius; ++y) {
        for (int x = -radius; x <= radius; ++x) {
            // A four-pointed star: inside when |x|*|y| is small and within the radius.
            const int ax = x < 0 ? -x : x;
            const int ay = y < 0 ? -y : y;
            if (ax + ay <= radius && ax * ay <= radius) canvas.set(cx + x, cy + y, color);
        }
    }
}

std::vector<std::uint8_t> encodeBmp(const Canvas& canvas) {
    constexpr std::uint32_t RowBytes = (Size * 3 + 3) / 4 * 4;
    constexpr std::uint32_t HeaderBytes = 14 + 40;
    constexpr std::uint32_t ImageBytes = RowBytes * Size;
    std::vector<std::uint8_t> out{'B', 'M'};
    out.reserve(HeaderBytes + ImageBytes);
    // The rest of the file header (size, reserved, pixel offset), then the
    // information header of a bottom-up (positive height), uncompressed
    // bitmap at 72 dpi; its 16-bit planes (1) and bits (24) share one word.
    for (const std::uint32_t field :
         {HeaderBytes + ImageBytes, 0u, HeaderBytes, 40u, std::uint32_t{Size}, std::uint32_t{Size},
          1u | 24u << 16, 0u, ImageBytes, 2835u, 2835u, 0u, 0u}) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(field >> (8 * i)));
    }
    for (int y = Size - 1; y >= 0; --y) {
        for (int x = 0; x < Size; ++x) {
            const Rgb c = canvas.pixels[y * Size + x];
            out.push_back(c.b);
            out.push_back(c.g);
            out.push_back(c.r);
        }
        for (std::uint32_t pad = Size * 3; pad < RowBytes; ++pad) out.push_back(0);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    runtime::guardStandardStreams("lettermoor-make-win-picture", 1);
    const std::string argument = argc == 2 ? argv[1] : "";
    if (argument == "--help") {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argument == "--version") {
        std::fputs(runtime::versionText("lettermoor-make-win-picture").c_str(), stdout);
        return 0;
    }
    if (argc != 2 || argument.empty() || argument[0] == '-') {
        std::fprintf(stderr, "lettermoor-make-win-picture: %s\n",
                     argc != 2 ? "takes exactly one OUT.bmp"
                               : ("unknown option '" + argument + "'").c_str());
        std::fputs(Usage, stderr);
        return 2;
    }
    Canvas canvas;
    constexpr int Top = 200;
    constexpr int Bottom = 400;
    drawBanner(canvas, 30, Top, 569, Bottom);
    drawCentredText(canvas, "Gewonnen!", Top + 42, 6, TitleColor, 4);
    drawCentredText(canvas, "Alle zehn W\x94rter gefunden", Top + 130, 2, SubtitleColor, 0);
    drawStar(canvas, 56, Top + 40, 12, TitleColor);
    drawStar(canvas, 543, Top + 40, 12, TitleColor);
    drawStar(canvas, 56, Bottom - 36, 8, SubtitleColor);
    drawStar(canvas, 543, Bottom - 36, 8, SubtitleColor);

    const std::vector<std::uint8_t> bytes = encodeBmp(canvas);
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "lettermoor-make-win-picture: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
