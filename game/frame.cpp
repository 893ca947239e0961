#include <string>

#include "game/game_state.hpp"
#include "game/grid_view.hpp"
#include "gfx/color.hpp"
#include "gfx/input.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"
#include "runtime/clock.hpp"

namespace game {
namespace {

const std::string EscapeKey = "\x1b";
const std::string CloseKey = "\xffk";

void takeClick(Game& game) {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t wheel = 0;
    std::int32_t clipped = 0;
    // Buttons keep their value when the read fails; the -1 position then stops the click.
    static_cast<void>(gfx::readMouse(&x, &y, &wheel, &game.mouseButtons, &clipped));
    if ((game.mouseButtons & 1) == 0 || x == -1 || y == -1) return;
    clickGrid(game.puzzle, game.panel, x, y);
    game.buttonHit = widgets::buttonAt(game.panel, x, y);
}

void dealFromButton(Game& game) {
    dealPuzzle(game);
    for (std::int32_t i = 0; i < PuzzleWordCount; ++i) {
        widgets::updateLabel(game.panel, i + 1, widgets::KeepNumber, widgets::KeepNumber,
                             widgets::KeepNumber, 0, hintLabelText(game, i));
    }
    game.buttonHit = 0;
}

void drawScene(const Game& game) {
    gfx::lockScreen();
    gfx::clearScreen(gfx::ClearDefault);
    gfx::drawLine(nullptr, 0, 0, ScreenWidth, ScreenHeight, gfx::White, gfx::FilledBox, 0xFFFF, 0);
    drawGrid(game.puzzle);
    widgets::drawWidgets(game.panel);
    drawWinPicture(game.winPicture);
    gfx::unlockScreen(-1, -1);
}

}  // namespace

bool runFrame(Game& game) {
    const std::string key = gfx::readKey();
    takeClick(game);
    if (game.buttonHit == NewPuzzleButtonId) dealFromButton(game);
    drawScene(game);
    // The picture shows only once a puzzle is solved, so it is read in the
    // second frame: the window shows the first one without waiting for the
    // picture or sharing the processor with reading it.
    if (!game.winPicture.prepared && game.winPicture.framesBefore++ == 1) {
        prepareWinPicture(game.winPicture);
    }
    updateSolved(game.winPicture, game.puzzle.words);
    const SleepFunction sleep = game.sleep != nullptr ? game.sleep : runtime::sleepFor;
    sleep(FrameSleepMilliseconds, runtime::SleepPlain);
    return key != EscapeKey && key != CloseKey;
}

}  // namespace game
