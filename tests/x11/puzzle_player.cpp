#include "tests/x11/puzzle_player.hpp"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <fstream>
#include <utility>

#include "gfx/font.hpp"
#include "tests/game/word_test_support.hpp"
#include "tests/gfx/image_test_support.hpp"

namespace lettermoor::testing {
namespace {

constexpr int ClientWidth = 1000;
constexpr int ClientHeight = 600;

// Where the window's point (x, y) lies on the root window.
std::pair<int, int> onRoot(Display* display, Window window, int x, int y) {
    int rootX = 0, rootY = 0;
    Window child = None;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY,
                          &child);
    return {rootX, rootY};
}

// Whether the grid's top and left lines start at (x, y) of the image.
bool gridCornerAt(XImage* image, int x, int y) {
    const auto black = [&](int px, int py) { return (XGetPixel(image, px, py) & 0xFFFFFF) == 0; };
    if (x > 0 && black(x - 1, y + 15)) return false;
    for (int i = 0; i < GridCells * CellPixels; i += 3) {
        if (!black(x + i, y) || !black(x, y + i)) return false;
    }
    return true;
}

constexpr int GlyphSize = 8;
constexpr int GlyphOffset = 13;  // of a letter inside its cell
constexpr int HintX = 650;
constexpr int HintTop = 20;
constexpr int HintSpacing = 50;
constexpr int StrikeOffset = 4;
constexpr int HintColumns = 40;

bool writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

}  // namespace

bool GameWindow::capture(Frame& frame) const {
    const int width = ClientWidth * scale_;
    const int height = ClientHeight * scale_;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, window_, &attributes) ||
        attributes.map_state != IsViewable || attributes.width < width ||
        attributes.height < height) {
        return false;
    }
    // Read from the root window: it shows what the player sees, frame and all.
    const auto [rootX, rootY] = onRoot(display_, window_, 0, 0);
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), rootX, rootY,
                              static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    bool found = attributes.width == width && attributes.height == height;
    if (found) left_ = top_ = 0;
    for (int y = 0; !found && y + height <= attributes.height; ++y) {
        for (int x = 0; !found && x + width <= attributes.width; ++x) {
            if ((found = gridCornerAt(image, x, y))) left_ = x, top_ = y;
        }
    }
    frame.width = ClientWidth;
    frame.height = ClientHeight;
    frame.pixels.clear();
    const int centre = scale_ / 2;
    for (int y = 0; found && y < ClientHeight; ++y) {
        for (int x = 0; x < ClientWidth; ++x) {
            const unsigned long pixel =
                XGetPixel(image, left_ + x * scale_ + centre, top_ + y * scale_ + centre);
            frame.pixels.push_back(static_cast<std::uint32_t>(pixel) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    return found;
}

void GameWindow::movePointer(int x, int y) const {
    const int centre = scale_ / 2;
    const auto [rootX, rootY] =
        onRoot(display_, window_, left_ + x * scale_ + centre, top_ + y * scale_ + centre);
    XTestFakeMotionEvent(display_, DefaultScreen(display_), rootX, rootY, CurrentTime);
    XFlush(display_);
}

void GameWindow::setButton(unsigned button, bool down) const {
    XTestFakeButtonEvent(display_, button, down ? True : False, CurrentTime);
    XFlush(display_);
}

void GameWindow::click(int x, int y) const {
    movePointer(x, y);
    for (const bool down : {true, false}) setButton(1, down);
}

void GameWindow::tapKey(unsigned long keysym) const {
    lettermoor::testing::tapKey(display_, keysym);
}

void GameWindow::focus() const {
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XFlush(display_);
}

void GameWindow::focusElsewhere() const {
    XSetInputFocus(display_, PointerRoot, RevertToParent, CurrentTime);
    XFlush(display_);
}

void setKey(Display* display, KeyCode keycode, bool down) {
    XTestFakeKeyEvent(display, keycode, down ? True : False, CurrentTime);
    XFlush(display);
}

void tapKey(Display* display, unsigned long keysym) {
    for (const bool down : {true, false}) setKey(display, XKeysymToKeycode(display, keysym), down);
}

void requestWindowClose(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

bool waitForFocus(Display* display, Window window) {
    return waitFor([&] {
        Window focus = None;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        return focus == window;
    });
}

LetterRows readLetters(const Frame& frame) {
    const std::uint8_t* font = gfx::BuiltinFont.data();
    LetterRows rows;
    for (int r = 0; r < GridCells; ++r) {
        for (int c = 0; c < GridCells; ++c) {
            // As font rows: bit k of row j set where the cell's glyph pixel (k, j) is black.
            std::array<std::uint8_t, GlyphSize> glyph{};
            for (int k = 0; k < GlyphSize * GlyphSize; ++k) {
                const int x = c * CellPixels + GlyphOffset + k % GlyphSize;
                const int y = r * CellPixels + GlyphOffset + k / GlyphSize;
                if (frame.at(x, y) == BlackPixel) glyph[k / GlyphSize] |= 1u << (k % GlyphSize);
            }
            // Printable glyphs first, so a blank reads as the space.
            std::ptrdiff_t code = 32;
            while (code < 256 && !std::equal(glyph.begin(), glyph.end(), font + code * 8)) ++code;
            rows[static_cast<std::size_t>(r)].push_back(code < 256 ? static_cast<char>(code) : '?');
        }
    }
    return rows;
}

std::vector<WordPlace> findWord(const LetterRows& rows, std::string_view word) {
    std::vector<WordPlace> places;
    const int length = static_cast<int>(word.size());
    for (int down = 0; down < 2 && length > 0; ++down) {
        for (int line = 0; line < GridCells; ++line) {
            std::string text;  // the row, or the column read downwards
            for (int k = 0; k < GridCells; ++k) text += down ? rows[k][line] : rows[line][k];
            for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
                const int a = static_cast<int>(at);
                places.push_back({down ? Cell{a, line} : Cell{line, a}, down == 1, length});
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

void clickCell(const GameWindow& window, Cell cell) {
    window.click(cell.column * CellPixels + CellPixels / 2, cell.row * CellPixels + CellPixels / 2);
}

bool cellIsGreen(const Frame& frame, Cell cell) {
    return frame.at(cell.column * CellPixels + 3, cell.row * CellPixels + 3) == GreenPixel;
}

bool wordIsGreen(const Frame& frame, const WordPlace& place) {
    bool all = true;
    for (int k = 0; k < place.length && all; ++k) all = cellIsGreen(frame, place.at(k));
    return all;
}

int struckHints(const Frame& frame) {
    // A strike runs one pixel past the label's last column.
    constexpr int StrikeLength = GlyphSize * HintColumns + 1;
    int struck = 0;
    for (std::ptrdiff_t index = 0; index < HintCount; ++index) {
        const auto line = frame.pixels.begin() + HintX +
                          (HintTop + HintSpacing * index + StrikeOffset) * frame.width;
        if (std::count(line, line + StrikeLength, BlackPixel) == StrikeLength) ++struck;
    }
    return struck;
}

bool PuzzlePlayer::readGrid(Frame& frame, LetterRows& rows) const {
    return waitForFrame(
        [&](const Frame& f) {
            if (!gridDrawn(f)) return false;
            rows = readLetters(f);
            return std::none_of(rows.begin(), rows.end(), [](const std::string& row) {
                return row.find('?') != std::string::npos;
            });
        },
        frame);
}

bool PuzzlePlayer::clickWord(const WordPlace& place, bool lastEndFirst) const {
    Frame frame;
    if (!window_.capture(frame)) return false;
    Cell from = lastEndFirst ? place.last() : place.first;
    Cell to = lastEndFirst ? place.first : place.last();
    if (cellIsGreen(frame, from)) std::swap(from, to);
    const int struck = struckHints(frame);
    const auto click = [&](Cell cell) { clickCell(window_, cell); };
    // The strike is the proof: the win picture soon covers the tenth word's cells.
    const auto struckOneMore = [&] {
        return waitForFrame([&](const Frame& f) { return struckHints(f) > struck; }, frame);
    };
    // The game reads the mouse once a frame, so of two clicks in one frame
    // only the second counts. A pending end outside found words turns green:
    // then the game has read the first click.
    if (!cellIsGreen(frame, from)) {
        click(from);
        const auto pending = [&](const Frame& f) { return cellIsGreen(f, from); };
        if (!waitForFrame(pending, frame)) return false;
        click(to);
        return struckOneMore();
    }
    // Both ends lie in found words and show no pending mark. If the first
    // click was lost, the second end is pending now and the first completes
    // the word from there.
    click(from);
    click(to);
    if (struckOneMore()) return true;
    click(from);
    return struckOneMore();
}

bool PuzzlePlayer::solve(const std::vector<std::string>& words, int hints) const {
    Frame frame;
    LetterRows rows;
    if (!readGrid(frame, rows)) return false;
    const auto green = [&](const WordPlace& p) { return wordIsGreen(frame, p); };
    // Every place of each word not found yet; the letters of a short word may
    // also stand somewhere by chance, and only the hidden place counts.
    std::vector<std::pair<std::size_t, WordPlace>> open;
    for (std::size_t w = 0; w < words.size(); ++w) {
        const std::vector<WordPlace> places = findWord(rows, words[w]);
        if (std::any_of(places.begin(), places.end(), green)) continue;
        for (const WordPlace& place : places) open.emplace_back(w, place);
    }
    int struck = struckHints(frame);
    bool lastEndFirst = false;
    while (struck < hints && !open.empty()) {
        if (!window_.capture(frame)) return false;
        // A word with an end outside found words first: its first click shows.
        auto next = std::find_if(open.begin(), open.end(), [&](const auto& entry) {
            return !cellIsGreen(frame, entry.second.first) ||
                   !cellIsGreen(frame, entry.second.last());
        });
        if (next == open.end()) next = open.begin();
        const auto [word, place] = *next;
        open.erase(next);
        if (!clickWord(place, lastEndFirst = !lastEndFirst)) continue;
        std::erase_if(open, [word = word](const auto& entry) { return entry.first == word; });
        ++struck;
    }
    return struck >= hints;
}

bool writeWordFile(const std::string& folder, const std::string& prefix,
                   const std::vector<std::string>& entries) {
    std::vector<std::string> lines = {"Lettermoor test words", prefix};
    lines.insert(lines.end(), entries.begin(), entries.end());
    return writeFile(folder + "/woerter.txt", wordtest::scrambledFile(lines));
}

bool writeWinPicture(const std::string& folder, std::uint32_t color, int holeStart, int holeEnd) {
    imagetest::StoredPicture picture{600, 600, {}, {}};
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const bool hole = y >= holeStart && y <= holeEnd && x >= holeStart && x <= holeEnd;
            picture.values.push_back(hole ? 0xFF00FFu : color);
        }
    }
    const std::vector<std::uint8_t> bmp = imagetest::encodeBitmap({}, picture);
    return writeFile(folder + "/win.bmp", std::string(bmp.begin(), bmp.end()));
}

}  // namespace lettermoor::testing
