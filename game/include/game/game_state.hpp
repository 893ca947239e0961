#pragma once
// Everything one running game owns, and the steps that start, run and end it.

#include <cstdint>
#include <string>

#include "game/model.hpp"
#include "game/win_picture.hpp"
#include "widgets/panel.hpp"

namespace game {

inline constexpr const char* WordFileName = "woerter.txt";
inline constexpr const char* WindowTitle = "Lettermoor";
inline constexpr const char* NewPuzzleCaption = "Neues R\x84tsel";
inline constexpr std::int32_t ScreenWidth = 1000;
inline constexpr std::int32_t ScreenHeight = 600;
inline constexpr std::int32_t FrameSleepMilliseconds = 15;

// Where the hint labels and the new-puzzle button sit beside the grid.
inline constexpr std::int32_t HintX = 650;
inline constexpr std::int32_t HintTop = 20;
inline constexpr std::int32_t HintSpacing = 50;
inline constexpr std::int32_t HintCharsPerLine = 40;
inline constexpr std::int32_t NewPuzzleButtonId = 1;

using SleepFunction = void (*)(std::int32_t milliseconds, std::int32_t kind);

struct Game {
    WordList words;
    std::string labelPrefix;
    Puzzle puzzle;
    widgets::WidgetPanel panel;
    WinPicture winPicture;
    std::int32_t buttonHit = 0;     // id of the button under the last left click
    std::int32_t mouseButtons = 0;  // from the last mouse read; bit 0 the left button
    bool refusalReported = false;
    SleepFunction sleep = nullptr;  // nullptr: the runtime's plain sleep
};

// Start-up of a fresh Game, the random generator seeded from the clock.
// False when no screen opened (no display back end accepted it) or a stop was
// requested while the word file loaded: then there are no frames to run.
bool startGame(Game& game);
// Start-up with a chosen seed, so a deal can be repeated.
bool startGameWithSeed(Game& game, double seed);

// Deals a new puzzle; the first time the word list cannot supply one, says so
// once on stderr. The hint labels are not touched.
void dealPuzzle(Game& game);
// The hint label of puzzle word `index`: the prefix, a space, the hint.
std::string hintLabelText(const Game& game, std::int32_t index);

// Runs one frame: input, model, drawing, presentation, solved state, sleep.
// Returns false once the player asked to quit (Esc or the window's close box).
bool runFrame(Game& game);

void endGame(Game& game);

}  // namespace game
