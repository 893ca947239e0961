// The real lettermoor binary on a private X server, from outside: its window
// read pixel by pixel and driven with synthetic input, played to the win
// picture, and ended on Esc, the close box and signals at random moments
// while frames run, and when its X server disappears.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <thread>

#include "tests/x11/x_server_test.hpp"

namespace {

using namespace lettermoor::testing;
using Clock = std::chrono::steady_clock;

// Built before the X tests, which depend on it.
const std::string GameBinary = LETTERMOOR_BIN_DIR "/lettermoor";
// Generous: the sanitised game starts slowly on a busy machine.
constexpr int StartWaitMs = 20000;

// The colour of the test's win picture, and its transparent hole over the grid.
constexpr std::uint32_t WinColor = 0x2040C0;
constexpr int WinHoleStart = 240;
constexpr int WinHoleEnd = 359;

// The ten words every puzzle holds (the list's last is never drawn); each has
// a Y or Z, which filler never uses, so it lies only where the game put it.
const std::vector<std::string> TestWords = {"ZYPRESSE",  "PYRAMIDE", "XYLOFON", "ZAUBERER",
                                            "QUARZ",     "BAYERN",   "ZWIEBEL", "YACHT",
                                            "HYAZINTHE", "ZITRONE"};

// The real game in a run folder with a known word list and win picture.
class GameSession : public XServerTest {
  protected:
    void SetUp() override {
        XServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        tolerateXErrors();
        std::vector<std::string> entries(TestWords);
        for (std::string& entry : entries) entry += "; Hinweis " + entry;
        entries.push_back("ZYZZYZ; nie im Raetsel");
        ASSERT_TRUE(folder_.ready());
        ASSERT_TRUE(writeWordFile(folder_.path(), "Hinweis:", entries));
        ASSERT_TRUE(writeWinPicture(folder_.path(), WinColor, WinHoleStart, WinHoleEnd));
    }

    void TearDown() override {
        game_.reset();
        XServerTest::TearDown();
    }

    // Starts the game; returns once its window is focused and its grid read
    // into frame_ and rows_.
    void startGame() {
        // The window thread stays parked after losing its server; ThreadSanitizer
        // would otherwise wait a second at exit for it.
        setenv("TSAN_OPTIONS", "atexit_sleep_ms=0", 0);
        // The block size follows the test's screen, whatever the caller's shell asks.
        setenv("LETTERMOOR_SCALE", "", 1);
        game_.emplace(GameBinary, std::vector<std::string>{}, folder_.path());
        ASSERT_TRUE(game_->started());
        window_ = waitForWindow(probe(), "Lettermoor", StartWaitMs);
        ASSERT_NE(window_, None) << "no game window; stderr: " << game_->standardError();
        gameWindow_ = GameWindow(probe(), window_);
        if (!waitForFocus(probe(), window_)) gameWindow_.focus();
        ASSERT_TRUE(waitForFocus(probe(), window_));
        ASSERT_TRUE(player_.readGrid(frame_, rows_)) << "the grid never became readable";
    }

    TempFolder folder_;
    std::optional<ChildProcess> game_;
    GameWindow gameWindow_{nullptr, None};
    PuzzlePlayer player_{gameWindow_};
    Frame frame_;
    LetterRows rows_;
};

// Far beyond what an end takes, so only a hang fails; how long ends take is
// printed, and tests/run-shutdown-loop.sh holds the figure to its limit.
constexpr int HangMs = 5000;

// A waitpid status as "exit status N", "signal N" or "still running".
std::string howItEnded(const std::optional<int>& status) {
    if (!status) return "still running";
    if (WIFSIGNALED(*status)) return "signal " + std::to_string(WTERMSIG(*status));
    return "exit status " + std::to_string(WEXITSTATUS(*status));
}

// The game's standard error: one line that says text, or nothing when text is nullptr.
bool saysOnly(const std::string& errors, const char* text) {
    if (text == nullptr) return errors.empty();
    return std::count(errors.begin(), errors.end(), '\n') == 1 &&
           errors.find(text) != std::string::npos;
}

std::array<int, 4> screenSaverOf(Display* display) {
    std::array<int, 4> s{};
    XGetScreenSaver(display, &s[0], &s[1], &s[2], &s[3]);
    return s;
}

using GameShutdown = GameSession;

TEST_F(GameShutdown, EveryWayOfEndingAtRandomMomentsEndsWithStatusZero) {
    const std::array<int, 4> screenSaver = screenSaverOf(probe());
    const char* const names[] = {"Esc", "close box", "SIGINT", "SIGTERM"};
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    const char* wanted = std::getenv("LETTERMOOR_SHUTDOWN_RUNS");
    const int runs = wanted != nullptr && std::atoi(wanted) > 0 ? std::atoi(wanted) : 10;
    long slowestMs = 0;
    for (int run = 0; run < runs; ++run) {
        const int ending = run % 4;
        SCOPED_TRACE(std::string(names[ending]) + ", run " + std::to_string(run) + ", seed " +
                     std::to_string(seed));
        ASSERT_NO_FATAL_FAILURE(startGame());
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 200)(random)));

        const auto start = Clock::now();
        if (ending == 0) gameWindow_.tapKey(XK_Escape);
        if (ending == 1) requestWindowClose(probe(), window_);
        if (ending >= 2) game_->sendSignal(ending == 2 ? SIGINT : SIGTERM);
        const std::optional<int> status = game_->waitForExit(HangMs);
        slowestMs = std::max<long>(
            slowestMs,
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
        ASSERT_EQ(howItEnded(status), "exit status 0") << "stderr: " << game_->standardError();
        EXPECT_TRUE(saysOnly(game_->standardError(), nullptr)) << game_->standardError();
        EXPECT_EQ(screenSaverOf(probe()), screenSaver) << "screen saver not restored";
    }
    std::printf("%d runs, slowest end %ld ms\n", runs, slowestMs);
}

TEST_F(GameShutdown, LosingTheXServerEndsWithOneLineAndStatusOne) {
    ASSERT_NO_FATAL_FAILURE(startGame());
    probe_.reset();  // it would die with the server and take the test along
    server_->killAbruptly();
    ASSERT_EQ(howItEnded(game_->waitForExit(HangMs)), "exit status 1") << game_->standardError();
    EXPECT_TRUE(saysOnly(game_->standardError(), "X server")) << game_->standardError();
}

// Starts that used to wedge the game: a folder with a pipe where a file should
// be, standard error closed, no display. Each ends as asked, or by itself.
TEST_F(GameShutdown, OddFilesClosedStreamsAndNoDisplayCannotWedgeIt) {
    struct Case {
        const char* name;
        const char* fifo;         // made in place of this file
        const char* environment;  // added to the game's, or empty
        const char* says;         // in its one line on stderr; nullptr: it says nothing
        int ending;               // a signal, or 0 for Esc in the window, or -1: it ends by itself
        int status;
        bool usableWords;  // or a list without any
        bool closeStandardError;
    };
    const Case cases[] = {
        {"word file is a pipe", "woerter.txt", "", "cannot read woerter.txt: not a regular file",
         SIGHUP, 0, true, false},
        {"win picture is a pipe", "win.bmp", "", nullptr, 0, 0, true, false},
        {"stderr closed, no usable word", nullptr, "", nullptr, 0, 0, false, true},
        {"no X server", nullptr, "", "(DISPLAY=:999, LETTERMOOR_DRIVER=", -1, 1, true, false},
        {"named X11, no server", nullptr, "LETTERMOOR_DRIVER=X11",
         "DISPLAY=:999, LETTERMOOR_DRIVER=X11)", -1, 1, true, false},
    };
    std::vector<std::string> goodList(TestWords);
    for (std::string& entry : goodList) entry += "; h";
    goodList.push_back("LETZTES; h");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        ASSERT_TRUE(folder.ready());
        ASSERT_TRUE(writeWordFile(folder.path(), "Hinweis:",
                                  c.usableWords ? goodList : std::vector<std::string>{";-none"}));
        if (c.fifo != nullptr) {
            std::remove((folder.path() + "/" + c.fifo).c_str());
            ASSERT_EQ(mkfifo((folder.path() + "/" + c.fifo).c_str(), 0600), 0);
        }
        // env sets the case's variables, then the game runs, or a shell that
        // closes its standard error first.
        std::vector<std::string> arguments = {"TSAN_OPTIONS=atexit_sleep_ms=0"};
        if (*c.environment != '\0') arguments.push_back(c.environment);
        // Both no-server cases name a display nobody serves.
        if (c.ending < 0) arguments.push_back("DISPLAY=:999");
        if (c.closeStandardError) {
            arguments.insert(arguments.end(), {"/bin/sh", "-c", "exec \"$0\" 2>&-"});
        }
        arguments.push_back(GameBinary);
        ChildProcess game("/usr/bin/env", arguments, folder.path());
        if (c.ending >= 0) {
            const Window shown = waitForWindow(probe(), "Lettermoor", StartWaitMs);
            ASSERT_NE(shown, None) << game.standardError();
            const GameWindow window(probe(), shown);
            if (c.ending > 0) game.sendSignal(c.ending);
            if (c.ending == 0 && !waitForFocus(probe(), shown)) window.focus();
            if (c.ending == 0) window.tapKey(XK_Escape);
        }
        EXPECT_EQ(howItEnded(game.waitForExit(HangMs * 4)),
                  "exit status " + std::to_string(c.status))
            << game.standardError();
        EXPECT_TRUE(saysOnly(game.standardError(), c.says)) << game.standardError();
    }
}

// scripts/readme-screenshot.sh sets LETTERMOOR_README_SCREENSHOT to a file:
// after two words the 1:1 play-through keeps the window there as a binary
// PPM, then plays on.
bool saveScreenshot(const Frame& frame, const char* path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << frame.width << ' ' << frame.height << "\n255\n";
    for (const std::uint32_t pixel : frame.pixels) {
        out << static_cast<char>(pixel >> 16) << static_cast<char>(pixel >> 8)
            << static_cast<char>(pixel);
    }
    return static_cast<bool>(out);
}

using GameBlackBox = GameSession;

// The player clicks words from either end, alternately where it can.
TEST_F(GameBlackBox, EachDealtWordLiesOnceAndSolvingThemAllShowsTheWinPicture) {
    ASSERT_NO_FATAL_FAILURE(startGame());
    for (const std::string& word : TestWords) EXPECT_EQ(findWord(rows_, word).size(), 1u) << word;
    const char* screenshot = std::getenv("LETTERMOOR_README_SCREENSHOT");
    if (screenshot != nullptr) {
        ASSERT_TRUE(player_.solve(TestWords, 2));
        ASSERT_TRUE(gameWindow_.capture(frame_));
        ASSERT_TRUE(saveScreenshot(frame_, screenshot));
    }
    ASSERT_TRUE(player_.solve(TestWords));
    ASSERT_TRUE(player_.waitForFrame([](const Frame& f) { return f.at(5, 5) == WinColor; }, frame_))
        << "no win picture after the tenth word";
    // The grid shows through the magenta hole (a cell line at x = 240); the
    // hints beside the picture stay uncovered.
    EXPECT_EQ((std::array{frame_.at(599, 599), frame_.at(WinHoleStart, WinHoleStart + 1),
                          frame_.at(990, 300)}),
              (std::array{WinColor, BlackPixel, WhitePixel}));
    EXPECT_EQ(struckHints(frame_), HintCount);
}

}  // namespace
