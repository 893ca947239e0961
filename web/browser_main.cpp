// The game in a browser page. The page's frame callback drives it: one call
// of lettermoor_frame per game frame, so nothing here ever waits.

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <memory>

#include "game/game_state.hpp"
#include "game/win_picture.hpp"

namespace {

std::unique_ptr<game::Game> running;

// The page paces the frames; a sleep would stall the browser's only thread.
void noSleep(std::int32_t, std::int32_t) {}

}  // namespace

extern "C" {

// Starts a new game (ending the running one) with the word list now in
// "woerter.txt".
EMSCRIPTEN_KEEPALIVE void lettermoor_start() {
    if (running) game::endGame(*running);
    running = std::make_unique<game::Game>();
    running->sleep = noSleep;
    // The page-load clock starts near 0 on every visit; the date differs.
    game::startGameWithSeed(*running, emscripten_date_now() / 1000.0);
}

// One frame; 0 once the player ended the game (Esc or the close key). The
// last frame stays on the canvas.
EMSCRIPTEN_KEEPALIVE int lettermoor_frame() {
    if (!running) return 0;
    if (game::runFrame(*running)) return 1;
    game::endGame(*running);
    running.reset();
    return 0;
}

// "win.bmp" reached the file system after the game started: the page starts
// without waiting for the picture, which is needed only once a puzzle is
// solved. A missing or unreadable file still shows no picture.
EMSCRIPTEN_KEEPALIVE void lettermoor_win_picture_arrived() {
    if (running) game::prepareWinPicture(running->winPicture);
}

}  // extern "C"
