#pragma once
// The reward picture drawn over the grid once every word of the puzzle is found.

#include <cstdint>

#include "game/model.hpp"
#include "gfx/image.hpp"

namespace game {

inline constexpr std::int32_t WinPictureSize = 600;
inline constexpr const char* WinPictureFile = "win.bmp";

struct WinPicture {
    gfx::ImageHandle image;         // nullptr without "win.bmp" or memory for the image
    std::int32_t solved = 0;        // 1: all words were found at the end of the previous frame
    bool prepared = false;          // prepareWinPicture ran; the second frame runs it otherwise
    std::int32_t framesBefore = 0;  // frames run before it was prepared
};

// Unsolved; a mask-coloured 600x600 image with "win.bmp" loaded into it, or
// no image when there is no such file.
void prepareWinPicture(WinPicture& picture);
// Blits the picture onto the screen, skipping mask-coloured pixels, when solved.
void drawWinPicture(const WinPicture& picture);
void updateSolved(WinPicture& picture, const PuzzleWords& words);
void releaseWinPicture(WinPicture& picture);

}  // namespace game
