#pragma once
// The game's window from outside: pixels through XGetImage, input through XTest.

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lettermoor::testing {

// The frame the client area shows, as 0xRRGGBB.
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

// Instead of Xlib's handler, which ends the process when a window goes away.
void tolerateXErrors();

// The top-level window whose WM_NAME is title, or None.
Window findWindowByName(Display* display, const std::string& title);

class GameWindow {
  public:
    // A window that shows each frame pixel as a scale by scale block.
    GameWindow(Display* display, Window window, int scale = 1)
        : display_(display), window_(window), scale_(scale) {}

    // False when the window cannot be read (gone, unmapped). Reads the centre
    // of every block, so the frame has the frame buffer's size.
    bool capture(Frame& frame) const;

    // A left click at frame pixel (x, y), held for holdMicroseconds.
    void click(int x, int y, int holdMicroseconds = 0) const;
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
};

}  // namespace lettermoor::testing
