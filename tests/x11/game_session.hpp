#pragma once
// Fixture for tests of the real game binary: a private Xvfb, a run folder
// with a known word list and win picture, and the running game's window.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/x11/game_process.hpp"
#include "tests/x11/game_window.hpp"
#include "tests/x11/puzzle_player.hpp"
#include "tests/x11/run_folder.hpp"
#include "tests/x11/xvfb_server.hpp"

namespace lettermoor::testing {

// The colour of the test's win picture, and its transparent hole over the grid.
inline constexpr std::uint32_t WinColor = 0x2040C0;
inline constexpr int WinHoleStart = 240;
inline constexpr int WinHoleEnd = 359;

// The ten words every puzzle of the test word list holds: the list's last
// entry is never drawn. Every word has a Y or Z, which filler never uses,
// so each one lies in the grid exactly where the game put it.
const std::vector<WordEntry>& testWords();

class GameSession : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the game and waits until its window is up, focused and showing
    // a readable grid.
    void startGame();
    Display* probe() const { return probe_->get(); }
    const GameWindow& window() const { return *window_; }
    GameProcess& game() const { return *game_; }
    const PuzzlePlayer& player() const { return *player_; }

    std::unique_ptr<XvfbServer> server_;
    std::unique_ptr<TestDisplay> probe_;
    RunFolder folder_;
    std::unique_ptr<GameProcess> game_;
    std::unique_ptr<GameWindow> window_;
    std::unique_ptr<PuzzlePlayer> player_;
};

// Whether a waitpid status is a normal exit with the given code.
::testing::AssertionResult exitedWith(const std::optional<int>& status, int code);

}  // namespace lettermoor::testing
