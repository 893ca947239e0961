// lettermoor-soak-player: plays a running game from outside for a long time.
//   play SECONDS WORDFILE  random clicks, drags, keys and focus changes at
//                          several events per frame, and now and then a new
//                          puzzle solved by reading the window
//   check                  a click on a cell still turns it green
//   quit                   presses Esc
// DISPLAY names the X server; the game's window is found by its title.

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "game/word_file.hpp"
#include "tests/x11/puzzle_player.hpp"

namespace {

using namespace lettermoor::testing;
using Clock = std::chrono::steady_clock;

constexpr int ButtonX = 800;  // inside the new-puzzle button's frame
constexpr int ButtonY = 555;
constexpr auto SolveInterval = std::chrono::seconds(15);

// Keys that mean nothing to the game; Esc would end it.
const unsigned long IdleKeys[] = {XK_a,  XK_Z,  XK_space, XK_Return, XK_Up,    XK_Left,
                                  XK_F1, XK_F5, XK_Tab,   XK_Home,   XK_Delete};

std::vector<std::string> readWords(const std::string& fileName) {
    game::WordList list;
    std::string prefix;
    game::loadWordFile(fileName, list, prefix);
    std::vector<std::string> words;
    for (std::size_t slot = 0; slot < list.words.size(); ++slot) {
        const std::string word(list.words[slot]);
        if (!word.empty()) words.push_back(word);
    }
    return words;
}

class SoakPlayer {
  public:
    SoakPlayer(const GameWindow& window, unsigned seed)
        : window_(window), player_(window), random_(seed) {}

    // Returns the number of events sent.
    int burst() {
        const int events = pick(3, 8);
        for (int i = 0; i < events; ++i) randomEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(pick(2, 15)));
        return events;
    }

    // A new puzzle first, so no pending cell of the random play remains.
    bool dealAndSolve(const std::vector<std::string>& words) {
        window_.focus();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Frame before;
        if (!window_.capture(before)) return false;
        window_.click(ButtonX, ButtonY);
        Frame frame;
        // The new deal shows as different letters (and no win picture).
        const LetterRows old = readLetters(before);
        return player_.waitForFrame(
                   [&](const Frame& f) { return gridDrawn(f) && readLetters(f) != old; }, frame) &&
               player_.solve(words) &&
               player_.waitForFrame([](const Frame& f) { return !gridDrawn(f); }, frame);
    }

  private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    void randomEvent() {
        switch (pick(0, 9)) {
            case 0:
            case 1:
            case 2:  // on the grid
                window_.click(pick(0, 599), pick(0, 599));
                break;
            case 3:  // a drag across the grid
                window_.movePointer(pick(0, 599), pick(0, 599));
                window_.setButton(1, true);
                window_.movePointer(pick(0, 599), pick(0, 599));
                window_.movePointer(pick(0, 999), pick(0, 599));
                window_.setButton(1, false);
                break;
            case 4:
                window_.click(pick(750, 850), pick(550, 560));
                break;
            case 5:
                window_.movePointer(pick(0, 999), pick(0, 599));
                break;
            case 6:
            case 7:
                window_.tapKey(IdleKeys[pick(0, std::size(IdleKeys) - 1)]);
                break;
            case 8:
                window_.setButton(static_cast<unsigned>(pick(2, 5)), true);
                window_.setButton(static_cast<unsigned>(pick(2, 5)), false);
                break;
            default:  // the focus leaves and comes back
                pick(0, 1) == 0 ? window_.focus() : window_.focusElsewhere();
                break;
        }
    }

    const GameWindow& window_;
    PuzzlePlayer player_;
    std::mt19937 random_;
};

int play(const GameWindow& window, int seconds, const std::string& wordFile) {
    const std::vector<std::string> words = readWords(wordFile);
    if (words.empty()) {
        std::fprintf(stderr, "soak-player: no words in %s\n", wordFile.c_str());
        return 2;
    }
    const unsigned seed = std::random_device{}();
    SoakPlayer player(window, seed);
    long events = 0;
    int solved = 0;
    int failed = 0;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    for (auto nextSolve = Clock::now() + SolveInterval; Clock::now() < end;) {
        events += player.burst();
        if (Clock::now() < nextSolve) continue;
        (player.dealAndSolve(words) ? solved : failed) += 1;
        nextSolve = Clock::now() + SolveInterval;
    }
    window.focus();
    std::printf("soak-player: seed %u, %ld input events, %d puzzles solved, %d not solved\n", seed,
                events, solved, failed);
    return failed == 0 ? 0 : 1;
}

// The game answers: a click on a cell that is not green turns it green.
int check(const GameWindow& window) {
    window.focus();
    PuzzlePlayer player(window);
    Frame frame;
    window.click(ButtonX, ButtonY);  // a fresh puzzle: nothing green, nothing pending
    if (!player.waitForFrame([](const Frame& f) { return gridDrawn(f); }, frame)) return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const Cell cell{4, 9};
    clickCell(window, cell);
    if (!player.waitForFrame([&](const Frame& f) { return cellIsGreen(f, cell); }, frame)) {
        std::fprintf(stderr, "soak-player: a click no longer turns a cell green\n");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode != "play" && mode != "check" && mode != "quit") {
        std::fprintf(stderr, "usage: %s play SECONDS WORDFILE | check | quit\n", argv[0]);
        return 2;
    }
    XInitThreads();
    tolerateXErrors();
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "soak-player: cannot open the display\n");
        return 2;
    }
    const Window id = waitForWindow(display, "Lettermoor", 20000);
    int result = 2;
    const GameWindow window(display, id);
    if (id == None) {
        std::fprintf(stderr, "soak-player: no window titled Lettermoor\n");
    } else if (mode == "play" && argc > 3) {
        result = play(window, std::atoi(argv[2]), argv[3]);
    } else if (mode == "check") {
        result = check(window);
    } else if (mode == "quit") {
        window.focus();
        window.tapKey(XK_Escape);
        result = 0;
    }
    XCloseDisplay(display);
    return result;
}
