// wine-play-through: plays the Windows build of the game under Wine from the
// X side, as a person would. It starts lettermoor.exe in a fresh folder with
// a word list of its own, finds the window, reads the grid's letters from
// the window's pixels, clicks both ends of a word, checks that its cells turn
// green and its hint is struck through, then ends the game with Esc or the
// close box and expects exit status 0.
//
// Usage: wine-play-through WINE_RUNNER GAME_EXE WIN_BMP esc|close
// The driver comes from LETTERMOOR_DRIVER in the environment.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "game/word_codec.hpp"
#include "gfx/font.hpp"
#include "tests/x11/window_probe.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int GridCells = 20;
constexpr int CellSize = 30;
constexpr int LetterInset = 13;
constexpr int ClientWidth = 1000;
constexpr int ClientHeight = 600;
constexpr int HintLeft = 650;
constexpr std::uint32_t Black = 0x000000;
constexpr std::uint32_t Green = 0x00FF00;

// Ten words and nothing else, so every one of them is in the puzzle. The word
// file gets one more entry after them: its last entry is never dealt.
const std::array<const char*, 10> Words = {"APFEL",   "BIRNE",  "KIRSCHE", "PFLAUME", "MELONE",
                                           "ZITRONE", "TRAUBE", "QUITTE",  "DATTEL",  "FEIGE"};

int fail(const std::string& why) {
    std::fprintf(stderr, "wine-play-through: %s\n", why.c_str());
    return 1;
}

void pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

struct Game {
    pid_t pid = -1;
    fs::path folder;
};

std::optional<Game> startGame(const char* runner, const char* exe, const char* winPicture) {
    Game game;
    std::random_device entropy;
    do {
        game.folder = fs::temp_directory_path() / ("lettermoor-wine-" + std::to_string(entropy()));
    } while (!fs::create_directory(game.folder));
    fs::copy_file(winPicture, game.folder / "win.bmp");

    std::string plain = "Lettermoor test list\nHinweis:\n";
    for (const char* word : Words) plain += std::string(word) + "; Obst " + word + "\n";
    plain += "ZUGABE; nie im Raetsel\n";
    std::string scrambled;
    game::CodecError error;
    if (!game::encodeWordText(plain, scrambled, error)) return std::nullopt;
    std::ofstream(game.folder / "woerter.txt", std::ios::binary) << scrambled;

    game.pid = fork();
    if (game.pid == 0) {
        if (chdir(game.folder.c_str()) != 0) _exit(127);
        execl(runner, runner, exe, static_cast<char*>(nullptr));
        _exit(127);
    }
    return game.pid > 0 ? std::optional<Game>(game) : std::nullopt;
}

// The exit status, or -1 when the game did not end in time.
int waitForExit(const Game& game, std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        int status = 0;
        if (waitpid(game.pid, &status, WNOHANG) == game.pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        pause(100);
    }
    kill(game.pid, SIGKILL);
    waitpid(game.pid, nullptr, 0);
    return -1;
}

bool hasName(Display* display, Window window, const char* name) {
    XTextProperty text{};
    bool same = false;
    if (XGetWMName(display, window, &text) && text.value != nullptr) {
        same = std::string(reinterpret_cast<char*>(text.value)) == name;
        XFree(text.value);
    }
    return same;
}

Window findWindow(Display* display, const char* name, std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        Window root = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned count = 0;
        Window found = None;
        if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && found == None; ++i) {
                XWindowAttributes attributes{};
                if (XGetWindowAttributes(display, children[i], &attributes) &&
                    attributes.map_state == IsViewable && hasName(display, children[i], name)) {
                    found = children[i];
                }
            }
            if (children != nullptr) XFree(children);
        }
        if (found != None) return found;
        pause(200);
    }
    return None;
}

// The window's pixels as 0xRRGGBB, with its position on the root window.
struct Snapshot {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFF;
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)] &
               0xFFFFFF;
    }
};

Snapshot snapshot(Display* display, Window window) {
    Snapshot shot;
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    Window child = None;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &shot.left, &shot.top,
                          &child);
    shot.width = attributes.width;
    shot.height = attributes.height;
    XImage* image = XGetImage(display, DefaultRootWindow(display), shot.left, shot.top,
                              static_cast<unsigned>(shot.width), static_cast<unsigned>(shot.height),
                              AllPlanes, ZPixmap);
    if (image == nullptr) return shot;
    shot.pixels.resize(static_cast<std::size_t>(shot.width) *
                       static_cast<std::size_t>(shot.height));
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            shot.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(shot.width) +
                        static_cast<std::size_t>(x)] =
                static_cast<std::uint32_t>(XGetPixel(image, x, y));
        }
    }
    XDestroyImage(image);
    return shot;
}

// Where the client area starts inside the window: the grid's outer lines run
// 600 pixels right and down from the client's top-left pixel.
std::optional<std::pair<int, int>> findClientOrigin(const Snapshot& shot) {
    const int span = GridCells * CellSize;
    for (int y = 0; y + ClientHeight <= shot.height; ++y) {
        for (int x = 0; x + ClientWidth <= shot.width; ++x) {
            if (shot.at(x, y) != Black) continue;
            bool lines = true;
            for (int i = 0; i < span && lines; i += 3) {
                lines = shot.at(x + i, y) == Black && shot.at(x, y + i) == Black;
            }
            if (lines && shot.at(x - 1, y + 15) != Black) return std::make_pair(x, y);
        }
    }
    return std::nullopt;
}

// The capital letter drawn in a cell, 0 when no glyph matches.
char readLetter(const Snapshot& shot, int originX, int originY, int row, int column) {
    const int x0 = originX + CellSize * column + LetterInset;
    const int y0 = originY + CellSize * row + LetterInset;
    for (int letter = 'A'; letter <= 'Z'; ++letter) {
        bool same = true;
        for (int gy = 0; gy < 8 && same; ++gy) {
            const std::uint8_t bits = gfx::BuiltinFont[static_cast<std::size_t>(letter * 8 + gy)];
            for (int gx = 0; gx < 8 && same; ++gx) {
                const bool set = (bits >> gx) & 1;
                same = set == (shot.at(x0 + gx, y0 + gy) == Black);
            }
        }
        if (same) return static_cast<char>(letter);
    }
    return 0;
}

struct Placement {
    int row = 0;
    int column = 0;
    int lastRow = 0;
    int lastColumn = 0;
};

std::optional<Placement> findWord(const std::vector<std::string>& grid, const std::string& word) {
    const int length = static_cast<int>(word.size());
    for (int r = 0; r < GridCells; ++r) {
        for (int c = 0; c < GridCells; ++c) {
            bool across = c + length <= GridCells;
            bool down = r + length <= GridCells;
            for (int i = 0; i < length; ++i) {
                const std::size_t k = static_cast<std::size_t>(i);
                across =
                    across &&
                    grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c + i)] == word[k];
                down = down && grid[static_cast<std::size_t>(r + i)][static_cast<std::size_t>(c)] ==
                                   word[k];
            }
            if (across) return Placement{r, c, r, c + length - 1};
            if (down) return Placement{r, c, r + length - 1, c};
        }
    }
    return std::nullopt;
}

void click(Display* display, int x, int y) {
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XFlush(display);
    pause(150);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XFlush(display);
    pause(80);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
    pause(300);
}

// The longest horizontal black run in the hint column: a struck hint has a
// line as long as its text, far longer than any glyph's own strokes.
int longestHintRun(const Snapshot& shot, int originX, int originY) {
    int longest = 0;
    for (int y = 0; y < ClientHeight; ++y) {
        int run = 0;
        for (int x = HintLeft; x < ClientWidth; ++x) {
            run = shot.at(originX + x, originY + y) == Black ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

int play(Display* display, const Game& game, bool viaCloseBox) {
    const Window window = findWindow(display, "Lettermoor", std::chrono::seconds(60));
    if (window == None) return fail("no window titled Lettermoor appeared");

    std::optional<std::pair<int, int>> origin;
    Snapshot shot;
    for (int attempt = 0; attempt < 50 && !origin; ++attempt) {
        pause(200);
        shot = snapshot(display, window);
        origin = findClientOrigin(shot);
    }
    if (!origin) return fail("the grid was never drawn in the window");
    const auto [ox, oy] = *origin;

    std::vector<std::string> grid(GridCells, std::string(GridCells, '?'));
    for (int r = 0; r < GridCells; ++r) {
        for (int c = 0; c < GridCells; ++c) {
            const char letter = readLetter(shot, ox, oy, r, c);
            if (letter == 0)
                return fail("cell " + std::to_string(r) + "," + std::to_string(c) +
                            " shows no letter");
            grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = letter;
        }
    }
    std::optional<Placement> placed;
    for (const char* word : Words) {
        if ((placed = findWord(grid, word))) break;
    }
    if (!placed) {
        for (const std::string& row : grid) std::fprintf(stderr, "  %s\n", row.c_str());
        return fail("none of the ten words is in the grid above");
    }

    const int strikeBefore = longestHintRun(shot, ox, oy);
    const auto centre = [&](int row, int column) {
        return std::make_pair(shot.left + ox + CellSize * column + CellSize / 2,
                              shot.top + oy + CellSize * row + CellSize / 2);
    };
    const auto [lastX, lastY] = centre(placed->lastRow, placed->lastColumn);
    const auto [firstX, firstY] = centre(placed->row, placed->column);
    click(display, lastX, lastY);
    click(display, firstX, firstY);

    bool green = false;
    int strikeAfter = 0;
    for (int attempt = 0; attempt < 25 && !(green && strikeAfter > strikeBefore + 16); ++attempt) {
        pause(200);
        shot = snapshot(display, window);
        green = true;
        for (int r = placed->row; r <= placed->lastRow; ++r) {
            for (int c = placed->column; c <= placed->lastColumn; ++c) {
                green = green && shot.at(ox + CellSize * c + 3, oy + CellSize * r + 3) == Green;
            }
        }
        strikeAfter = longestHintRun(shot, ox, oy);
    }
    if (!green) return fail("the found word's cells did not turn green");
    if (strikeAfter <= strikeBefore + 16) return fail("no hint was struck through");

    if (viaCloseBox) {
        lettermoor::testing::requestWindowClose(display, window);
    } else {
        // Without a window manager the keyboard follows the pointer, which
        // the clicks left over the grid.
        const KeyCode escape = XKeysymToKeycode(display, XK_Escape);
        XTestFakeKeyEvent(display, escape, True, CurrentTime);
        XFlush(display);
        pause(80);
        XTestFakeKeyEvent(display, escape, False, CurrentTime);
        XFlush(display);
    }
    const int status = waitForExit(game, std::chrono::seconds(30));
    if (status != 0) return fail("the game ended with status " + std::to_string(status));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) return fail("usage: wine-play-through WINE_RUNNER GAME_EXE WIN_BMP esc|close");
    const std::string how = argv[4];
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return fail("no X display");
    std::optional<Game> game = startGame(argv[1], argv[2], argv[3]);
    if (!game) return fail("could not start the game");
    const int result = play(display, *game, how == "close");
    if (result != 0) waitForExit(*game, std::chrono::seconds(1));
    XCloseDisplay(display);
    std::error_code ignored;
    fs::remove_all(game->folder, ignored);
    if (result == 0)
        std::printf("wine-play-through: %s: word found, ended by %s, status 0\n",
                    std::getenv("LETTERMOOR_DRIVER") ? std::getenv("LETTERMOOR_DRIVER") : "default",
                    how.c_str());
    return result;
}
