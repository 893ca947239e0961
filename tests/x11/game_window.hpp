#pragma once
// The game's window as a player sees it from outside: its pixels through
// XGetImage, pointer and keys through XTest.

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lettermoor::testing {

// The client area's pixels as 0xRRGGBB.
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

// Xlib's default error handler ends the process; a window that is being
// mapped or destroyed under the observer is no reason for that.
void tolerateXErrors();

// The top-level window whose WM_NAME is title, or None.
Window findWindowByName(Display* display, const std::string& title);

class GameWindow {
  public:
    GameWindow(Display* display, Window window) : display_(display), window_(window) {}

    // False when the window cannot be read (gone, unmapped).
    bool capture(Frame& frame) const;

    // Moves the pointer to client pixel (x, y) and presses and releases the
    // left button with holdMicroseconds between them.
    void click(int x, int y, int holdMicroseconds = 0) const;
    void movePointer(int x, int y) const;
    void setButton(unsigned button, bool down) const;
    void tapKey(unsigned long keysym) const;
    void focus() const;
    // Focus to whatever is under the pointer, as when the player turns away.
    void focusElsewhere() const;

  private:
    Display* display_;
    Window window_;
};

}  // namespace lettermoor::testing
