// wine-play-through: plays the Windows build under Wine from the X side, as
// a person would, with the X tests' harness. It starts lettermoor.exe in a
// fresh folder with a word list of its own, finds a word in the grid, clicks
// it from its last end, checks that its cells turn green and its hint is
// struck through, then ends the game with Esc or the close box and expects
// exit status 0.
//
// Usage: wine-play-through WINE_RUNNER GAME_EXE WIN_BMP esc|close
// The driver comes from LETTERMOOR_DRIVER in the environment.

#include <X11/keysym.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "tests/x11/puzzle_player.hpp"

namespace {

using namespace lettermoor::testing;

// Wine starts slowly on a busy machine.
constexpr int StartWaitMs = 60000;
constexpr int FrameWaitMs = 10000;

// Ten words and nothing else, so every one of them is in the puzzle. The word
// file gets one more entry after them: its last entry is never dealt.
const char* const Words[] = {"APFEL",   "BIRNE",  "KIRSCHE", "PFLAUME", "MELONE",
                             "ZITRONE", "TRAUBE", "QUITTE",  "DATTEL",  "FEIGE"};

int fail(const std::string& why) {
    std::fprintf(stderr, "wine-play-through: %s\n", why.c_str());
    return 1;
}

int play(Display* display, ChildProcess& game, bool viaCloseBox) {
    const Window id = waitForWindow(display, "Lettermoor", StartWaitMs);
    if (id == None) return fail("no window titled Lettermoor appeared");
    const GameWindow window(display, id);
    const PuzzlePlayer player(window, FrameWaitMs);
    Frame frame;
    LetterRows rows;
    if (!player.readGrid(frame, rows)) return fail("the grid was never readable in the window");

    for (const char* word : Words) {
        const std::vector<WordPlace> places = findWord(rows, word);
        if (places.size() != 1) continue;
        const WordPlace& place = places[0];
        if (!player.clickWord(place, true)) return fail("no hint was struck through");
        const auto green = [&](const Frame& f) { return wordIsGreen(f, place); };
        if (!player.waitForFrame(green, frame)) return fail(std::string(word) + " not green");
        // Without a window manager the keyboard follows the pointer, which the
        // clicks left over the grid.
        viaCloseBox ? requestWindowClose(display, id) : tapKey(display, XK_Escape);
        const std::optional<int> status = game.waitForExit(StartWaitMs);
        if (status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0) return 0;
        return fail("the game did not end with status 0");
    }
    return fail("none of the ten words lies once in the grid");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) return fail("usage: wine-play-through WINE_RUNNER GAME_EXE WIN_BMP esc|close");
    const std::string how = argv[4];
    tolerateXErrors();
    std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
    if (!display) return fail("no X display");
    const TempFolder folder;
    std::vector<std::string> entries;
    for (const char* word : Words) entries.push_back(std::string(word) + "; Obst " + word);
    entries.push_back("ZUGABE; nie im Raetsel");
    std::error_code copied;
    std::filesystem::copy_file(argv[3], folder.path() + "/win.bmp", copied);
    if (!folder.ready() || copied || !writeWordFile(folder.path(), "Hinweis:", entries)) {
        return fail("could not prepare the run folder");
    }
    ChildProcess game(argv[1], {argv[2]}, folder.path());
    if (!game.started()) return fail("could not start the game");
    const int result = play(display.get(), game, how == "close");
    if (result == 0) {
        std::printf("wine-play-through: word found, ended by %s, status 0\n", how.c_str());
    } else {
        std::fprintf(stderr, "%s", game.standardError().c_str());
    }
    return result;
}
