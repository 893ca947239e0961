#pragma once
// The system-test harness, part two: the game's window from outside, its
// pixels read through XGetImage and its input sent through XTest; the screen
// read as a player reads it (glyphs against the built-in font, cell colours,
// strike lines), words clicked, and the files the game starts with.

#include <X11/Xlib.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/x11/xvfb_server.hpp"

namespace lettermoor::testing {

// The game's client area as 0xRRGGBB.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

inline constexpr std::uint32_t BlackPixel = 0x000000;
inline constexpr std::uint32_t WhitePixel = 0xFFFFFF;
inline constexpr std::uint32_t GreenPixel = 0x00FF00;

// The game's window, showing each frame pixel as a scale by scale block. A
// window larger than that client area (Wine draws its own frame) is searched
// for the grid's outer lines, and pixels and clicks are taken relative to them.
class GameWindow {
  public:
    GameWindow(Display* display, Window window, int scale = 1)
        : display_(display), window_(window), scale_(scale) {}

    // False when the window cannot be read (gone, unmapped, no grid found).
    // Reads the centre of every block, so the frame is 1000x600 at any scale.
    bool capture(Frame& frame) const;

    // A left click at frame pixel (x, y): every back end keeps a press until the
    // game's next mouse read, however short it was.
    void click(int x, int y) const;
    void movePointer(int x, int y) const;
    void setButton(unsigned button, bool down) const;
    void tapKey(unsigned long keysym) const;
    void focus() const;
    // Focus to whatever is under the pointer.
    void focusElsewhere() const;

  private:
    Display* display_;
    Window window_;
    int scale_;
    mutable int left_ = 0;  // of the client area inside the window
    mutable int top_ = 0;
};

// Presses or releases a key through XTest; tapKey does both.
void setKey(Display* display, KeyCode keycode, bool down);
void tapKey(Display* display, unsigned long keysym);

// Sends WM_DELETE_WINDOW, as a window manager's close box does.
void requestWindowClose(Display* display, Window window);
// True once the window has the input focus (bounded wait).
bool waitForFocus(Display* display, Window window);

inline constexpr int GridCells = 20;
inline constexpr int CellPixels = 30;
inline constexpr int HintCount = 10;

// Code page 437 bytes, one string per row; '?' where no glyph matched.
using LetterRows = std::array<std::string, GridCells>;

struct Cell {
    int row = 0;
    int column = 0;
};

// Where a word lies: along a row left to right, or down a column.
struct WordPlace {
    Cell first;
    bool down = false;
    int length = 0;
    Cell at(int k) const {
        return down ? Cell{first.row + k, first.column} : Cell{first.row, first.column + k};
    }
    Cell last() const { return at(length - 1); }
};

LetterRows readLetters(const Frame& frame);
std::vector<WordPlace> findWord(const LetterRows& rows, std::string_view word);
// Every cell has its outline and a white or green fill (the window starts black).
bool gridDrawn(const Frame& frame);
// A left click on the cell's centre.
void clickCell(const GameWindow& window, Cell cell);
// The fill in the cell's top-left corner, where no glyph reaches.
bool cellIsGreen(const Frame& frame, Cell cell);
bool wordIsGreen(const Frame& frame, const WordPlace& place);
// How many hint labels are struck through.
int struckHints(const Frame& frame);

class PuzzlePlayer {
  public:
    explicit PuzzlePlayer(const GameWindow& window, int waitMs = 15000)
        : window_(window), waitMs_(waitMs) {}

    // Captures until predicate(frame) holds; false after the wait.
    template <typename Predicate>
    bool waitForFrame(Predicate predicate, Frame& frame) const {
        return waitFor([&] { return window_.capture(frame) && predicate(frame); }, waitMs_);
    }
    // A frame whose grid letters can all be read.
    bool readGrid(Frame& frame, LetterRows& rows) const;
    // Clicks the word's ends in frames of their own, the last end first when
    // asked and it lies outside found words; true once one more hint is struck.
    bool clickWord(const WordPlace& place, bool lastEndFirst) const;
    // Clicks the words it finds, those with an end outside found words first
    // and every other one last end first; true once `hints` hints (all ten
    // unless told) are struck.
    bool solve(const std::vector<std::string>& words, int hints = HintCount) const;

  private:
    const GameWindow& window_;
    int waitMs_;
};

// Into a run folder: "woerter.txt" stored from a title line, a hint prefix
// and the entries; a 600x600 "win.bmp" in one colour with a transparent
// magenta square hole from holeStart to holeEnd (inclusive) on both axes.
bool writeWordFile(const std::string& folder, const std::string& prefix,
                   const std::vector<std::string>& entries);
bool writeWinPicture(const std::string& folder, std::uint32_t color, int holeStart, int holeEnd);

}  // namespace lettermoor::testing
