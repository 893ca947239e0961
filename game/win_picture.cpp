#include "game/win_picture.hpp"

#include <sys/stat.h>

#include "gfx/blit.hpp"

namespace game {
namespace {

// Asks without opening: opening a pipe waits for its writer.
bool fileThere(const char* name) {
    struct stat info {};
    return ::stat(name, &info) == 0;
}

}  // namespace

void prepareWinPicture(WinPicture& picture) {
    picture.solved = 0;
    picture.prepared = true;
    picture.image.reset();
    // Without the file there is nothing to show, so no 600x600 image is made
    // and cleared for it: the browser's page starts the game before the
    // picture has arrived.
    if (!fileThere(WinPictureFile)) return;
    picture.image.reset(gfx::createImage(WinPictureSize, WinPictureSize, 0, 0, gfx::NoColorGiven));
    // No image means no picture: the loader would take a missing target for
    // the screen and draw the picture there.
    if (!picture.image) return;
    // An unreadable file leaves the image transparent, which shows nothing.
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
