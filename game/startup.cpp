#include <cstdio>

#include "game/game_state.hpp"
#include "game/generator.hpp"
#include "game/word_file.hpp"
#include "gfx/screen.hpp"
#include "runtime/clock.hpp"
#include "runtime/random.hpp"
#include "runtime/stop_request.hpp"

namespace game {

std::string hintLabelText(const Game& game, std::int32_t index) {
    return game.labelPrefix + " " + game.puzzle.words[static_cast<std::size_t>(index)].hint;
}

void dealPuzzle(Game& game) {
    const DealResult result = generatePuzzle(game.words, game.puzzle);
    if (result == DealResult::Dealt || game.refusalReported) return;
    game.refusalReported = true;
    const std::string line =
        describeRefusal(result, countUsableSlots(game.words), WordFileName) + "\n";
    std::fputs(line.c_str(), stderr);
}

bool startGameWithSeed(Game& game, double seed) {
    runtime::seedRandom(seed, 0);
    std::string why;
    if (loadWordFile(WordFileName, game.words, game.labelPrefix, &why) ==
        WordFileOpen::Unreadable) {
        // That is the reason no puzzle can be dealt; a word count would mislead.
        std::fputs(("lettermoor: " + why + "\n").c_str(), stderr);
        game.refusalReported = true;
    }
    if (runtime::stopRequested()) return false;
    // Titled before it opens, the window is created with the title: set after,
    // the title waits for the window thread's next pass.
    gfx::setWindowTitle(WindowTitle);
    if (gfx::openScreen(ScreenWidth, ScreenHeight, 32, 0, 0, 0) != 0) return false;
    dealPuzzle(game);
    for (std::int32_t i = 0; i < PuzzleWordCount; ++i) {
        widgets::addLabel(game.panel, HintX, HintTop + HintSpacing * i, HintCharsPerLine, 0,
                          hintLabelText(game, i));
    }
    widgets::addButton(game.panel, 750, 550, 100, 10, NewPuzzleCaption);
    game.buttonHit = 0;
    return true;
}

bool startGame(Game& game) {
    return startGameWithSeed(game, runtime::clockSeconds());
}

void endGame(Game& game) {
    releaseWinPicture(game.winPicture);
}

}  // namespace game
