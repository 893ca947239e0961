#include "game/win_picture.hpp"

#include "gfx/blit.hpp"

namespace game {

void prepareWinPicture(WinPicture& picture) {
    picture.solved = 0;
    picture.image.reset(gfx::createImage(WinPictureSize, WinPictureSize, 0, 0, gfx::NoColorGiven));
    // No image means no picture: the loader would take a missing target for
    // the screen and draw the picture there.
    if (!picture.image) return;
    // A missing or unreadable file leaves the image transparent, which shows nothing.
    static_cast<void>(gfx::loadImage(WinPictureFile, picture.image.get(), nullptr));
}

void drawWinPicture(const WinPicture& picture) {
    if (picture.solved != 1 || !picture.image) return;
    gfx::putImage(nullptr, 0.0f, 0.0f, picture.image.get(), gfx::WholeImage, gfx::WholeImage,
                  gfx::WholeImage, gfx::WholeImage, 0, 0, gfx::putTransparent, -1, nullptr,
                  nullptr);
}

void updateSolved(WinPicture& picture, const PuzzleWords& words) {
    picture.solved = 1;
    for (const PuzzleWord& word : words) {
        if (word.found == 0) picture.solved = 0;
    }
}

void releaseWinPicture(WinPicture& picture) {
    picture.image.reset();
}

}  // namespace game
