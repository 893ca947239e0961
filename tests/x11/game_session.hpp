#pragma once
// The X tests' fixtures on the harness: screens the test opens on a private
// Xvfb, and the real game in a run folder with a known word list and win picture.

#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gfx/input.hpp"
#include "gfx/screen.hpp"
#include "tests/x11/puzzle_player.hpp"

namespace lettermoor::testing {

// A private Xvfb named by DISPLAY and the test's own connection to it.
class XServerTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    Display* probe() const { return probe_.get(); }

    // Opens a screen titled "Lettermoor" and waits for its window.
    void openWindow(std::int32_t width, std::int32_t height, std::int32_t flags = 0);
    // Waits for predicate, polling a back end that has no thread of its own.
    template <typename Predicate>
    bool pollUntil(Predicate predicate) {
        return waitFor([&] {
            const gfx::Screen* screen = gfx::activeScreen();
            if (screen != nullptr && screen->driver->pollEvents != nullptr)
                screen->driver->pollEvents();
            return predicate();
        });
    }
    // Types a space and reads keys up to it: the window handles its events in
    // order, so everything sent before has been handled then. The keys read
    // before the space go to typed.
    bool eventsHandled(std::vector<std::string>* typed = nullptr) {
        tapKey(probe(), XK_space);
        return pollUntil([&] {
            for (std::string key = gfx::readKey(); !key.empty(); key = gfx::readKey()) {
                if (key == " ") return true;
                if (typed != nullptr) typed->push_back(key);
            }
            return false;
        });
    }

    std::string screenSize_ = "1280x1024x24";  // the Xvfb's, set before SetUp
    std::unique_ptr<XvfbServer> server_;
    std::unique_ptr<Display, int (*)(Display*)> probe_{nullptr, XCloseDisplay};
    Window window_ = None;
};

// The colour of the test's win picture, and its transparent hole over the grid.
inline constexpr std::uint32_t WinColor = 0x2040C0;
inline constexpr int WinHoleStart = 240;
inline constexpr int WinHoleEnd = 359;

// The ten words every puzzle holds (the list's last is never drawn); each has
// a Y or Z, which filler never uses, so it lies only where the game put it.
inline const std::vector<std::string> TestWords = {"ZYPRESSE",  "PYRAMIDE", "XYLOFON", "ZAUBERER",
                                                   "QUARZ",     "BAYERN",   "ZWIEBEL", "YACHT",
                                                   "HYAZINTHE", "ZITRONE"};

class GameSession : public XServerTest {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Starts the game; returns once its window is focused and its grid read
    // into frame_ and rows_.
    void startGame();

    TempFolder folder_;
    std::unique_ptr<ChildProcess> game_;
    GameWindow gameWindow_{nullptr, None};
    PuzzlePlayer player_{gameWindow_};
    Frame frame_;
    LetterRows rows_;
};

// Built before the X tests, which depend on it.
inline const std::string GameBinary = LETTERMOOR_BIN_DIR "/lettermoor";
// Generous: the sanitised game starts slowly on a busy machine.
inline constexpr int StartWaitMs = 20000;

}  // namespace lettermoor::testing
