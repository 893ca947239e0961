#pragma once
// The system-test harness, part two: a window from outside, its pixels read
// through XGetImage and its input sent through XTest.

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lettermoor::testing {

// The game's client area as 0xRRGGBB.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

inline constexpr std::uint32_t BlackPixel = 0x000000;
inline constexpr std::uint32_t WhitePixel = 0xFFFFFF;
inline constexpr std::uint32_t GreenPixel = 0x00FF00;

// The game's window, showing each frame pixel as a scale by scale block. A
// window larger than that client area (Wine draws its own frame) is searched
// for the grid's outer lines, and pixels and clicks are taken relative to them.
class GameWindow {
  public:
    GameWindow(Display* display, Window window, int holdMs = 0, int scale = 1)
        : display_(display), window_(window), holdMs_(holdMs), scale_(scale) {}

    // False when the window cannot be read (gone, unmapped, no grid found).
    // Reads the centre of every block, so the frame is 1000x600 at any scale.
    bool capture(Frame& frame) const;

    // A left click at frame pixel (x, y), the button held for the window's hold time.
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
    int holdMs_;
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

// "1000x600 at 140,212, fixed, class C, closable, titled T" (", hidden" when unmapped).
std::string windowFacts(Display* display, Window window);

}  // namespace lettermoor::testing
