#include "tests/x11/grid_reading.hpp"

#include "gfx/font.hpp"

namespace lettermoor::testing {
namespace {

constexpr int GlyphSize = 8;
constexpr int GlyphOffset = 13;  // of a letter inside its cell
constexpr int HintX = 650;
constexpr int HintTop = 20;
constexpr int HintSpacing = 50;
constexpr int StrikeOffset = 4;

bool glyphMatches(const Frame& frame, int x, int y, unsigned char code) {
    for (int row = 0; row < GlyphSize; ++row) {
        const std::uint8_t bits =
            gfx::BuiltinFont[static_cast<std::size_t>(code) * 8 + static_cast<std::size_t>(row)];
        for (int column = 0; column < GlyphSize; ++column) {
            const bool set = (bits >> column) & 1;
            if (set != (frame.at(x + column, y + row) == BlackPixel)) return false;
        }
    }
    return true;
}

}  // namespace

LetterRows readLetters(const Frame& frame) {
    LetterRows rows;
    for (int r = 0; r < GridCells; ++r) {
        for (int c = 0; c < GridCells; ++c) {
            // Printable glyphs first, so a blank reads as the space.
            int code = 32;
            while (code < 256 &&
                   !glyphMatches(frame, c * CellPixels + GlyphOffset, r * CellPixels + GlyphOffset,
                                 static_cast<unsigned char>(code))) {
                ++code;
            }
            rows[static_cast<std::size_t>(r)].push_back(code < 256 ? static_cast<char>(code) : '?');
        }
    }
    return rows;
}

bool hintShows(const Frame& frame, int index, std::string_view text) {
    const int y = HintTop + HintSpacing * index;
    for (int k = 0; k < HintColumns; ++k) {
        const auto code = static_cast<unsigned char>(
            k < static_cast<int>(text.size()) ? text[static_cast<std::size_t>(k)] : ' ');
        if (!glyphMatches(frame, HintX + GlyphSize * k, y, code)) return false;
    }
    return true;
}

std::vector<WordPlace> findWord(const LetterRows& rows, std::string_view word) {
    std::vector<WordPlace> places;
    const int length = static_cast<int>(word.size());
    for (int down = 0; down < 2 && length > 0; ++down) {
        for (std::size_t line = 0; line < GridCells; ++line) {
            std::string text;  // the row, or the column read downwards
            for (std::size_t k = 0; k < GridCells; ++k) {
                text += down ? rows[k][line] : rows[line][k];
            }
            for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
                const Cell first{static_cast<int>(down ? at : line),
                                 static_cast<int>(down ? line : at)};
                places.push_back({first, first, down == 1, length});
                places.back().last = places.back().at(length - 1);
            }
        }
    }
    return places;
}

bool gridDrawn(const Frame& frame) {
    for (int r = 0; r < GridCells; ++r) {
        for (int c = 0; c < GridCells; ++c) {
            const std::uint32_t fill = frame.at(c * CellPixels + 3, r * CellPixels + 3);
            if (frame.at(c * CellPixels, r * CellPixels + 3) != BlackPixel) return false;
            if (fill != WhitePixel && fill != GreenPixel) return false;
        }
    }
    return true;
}

int cellCentre(int index) {
    return index * CellPixels + CellPixels / 2;
}

bool cellIsGreen(const Frame& frame, Cell cell) {
    return frame.at(cell.column * CellPixels + 3, cell.row * CellPixels + 3) == GreenPixel;
}

bool hintIsStruck(const Frame& frame, int index) {
    const int y = HintTop + HintSpacing * index + StrikeOffset;
    for (int x = HintX; x <= HintX + GlyphSize * HintColumns; ++x) {
        if (frame.at(x, y) != BlackPixel) return false;
    }
    return true;
}

}  // namespace lettermoor::testing
