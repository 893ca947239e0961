// wine-play-through: plays the Windows build under Wine from the X side, as
// a person would. It starts lettermoor.exe in a fresh folder with a word list
// of its own, reads the grid from the window's pixels, clicks both ends of a
// word, checks that its cells turn green and its hint is struck through, then
// ends the game with Esc or the close box and expects exit status 0.
//
// Usage: wine-play-through WINE_RUNNER GAME_EXE WIN_BMP esc|close
// The driver comes from LETTERMOOR_DRIVER in the environment.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
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
#include "tests/x11/xvfb_server.hpp"

namespace {

namespace fs = std::filesystem;
using lettermoor::testing::findTopLevel;

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

// The exit status, or -1 when the game did not end within `tenths` x 100 ms.
int waitForExit(const Game& game, int tenths) {
    for (int i = 0; i < tenths; ++i, pause(100)) {
        int status = 0;
        if (waitpid(game.pid, &status, WNOHANG) == game.pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
    }
    kill(game.pid, SIGKILL);
    waitpid(game.pid, nullptr, 0);
    return -1;
}

Window findShownWindow(Display* display, const std::string& title) {
    for (int attempt = 0; attempt < 300; ++attempt, pause(200)) {
        const Window found = findTopLevel(display, [&](Window window) {
            XWindowAttributes attributes{};
            char* name = nullptr;
            const bool match = XGetWindowAttributes(display, window, &attributes) &&
                               attributes.map_state == IsViewable &&
                               XFetchName(display, window, &name) && name != nullptr &&
                               title == name;
            XFree(name);
            return match;
        });
        if (found != None) return found;
    }
    return None;
}

// The window's pixels as 0xRRGGBB, with its position on the root window. The
// client area lies somewhere inside, below Wine's own frame.
struct Snapshot {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFF;
        return pixels[static_cast<std::size_t>(y) * width + x];
    }
};

Snapshot snapshot(Display* display, Window window) {
    Snapshot shot;
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    Window child = None;
    const Window root = DefaultRootWindow(display);
    XTranslateCoordinates(display, window, root, 0, 0, &shot.left, &shot.top, &child);
    XImage* image =
        XGetImage(display, root, shot.left, shot.top, static_cast<unsigned>(attributes.width),
                  static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) return shot;
    shot.width = attributes.width;
    shot.height = attributes.height;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            shot.pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    return shot;
}

// Where the client area starts: the grid's outer lines run 600 pixels right
// and down from the client's top-left pixel.
std::optional<std::pair<int, int>> findClientOrigin(const Snapshot& shot) {
    for (int y = 0; y + ClientHeight <= shot.height; ++y) {
        for (int x = 0; x + ClientWidth <= shot.width; ++x) {
            bool lines = shot.at(x - 1, y + 15) != Black;
            for (int i = 0; i < GridCells * CellSize && lines; i += 3) {
                lines = shot.at(x + i, y) == Black && shot.at(x, y + i) == Black;
            }
            if (lines) return std::make_pair(x, y);
        }
    }
    return std::nullopt;
}

// The capital letter drawn in a cell, '?' when no glyph matches.
char readLetter(const Snapshot& shot, int x0, int y0) {
    for (int letter = 'A'; letter <= 'Z'; ++letter) {
        bool same = true;
        for (int i = 0; i < 64 && same; ++i) {
            const bool set =
                (gfx::BuiltinFont[static_cast<std::size_t>(letter) * 8 + i / 8] >> (i % 8)) & 1;
            same = set == (shot.at(x0 + i % 8, y0 + i / 8) == Black);
        }
        if (same) return static_cast<char>(letter);
    }
    return '?';
}

struct Placement {
    int row = 0;
    int column = 0;
    int lastRow = 0;
    int lastColumn = 0;
};

// The longest horizontal black run in the hint column: a struck hint has a
// line as long as its text, far longer than any glyph's own strokes.
int longestHintRun(const Snapshot& shot, int originX, int originY) {
    int longest = 0;
    for (int y = 0; y < ClientHeight; ++y) {
        for (int x = HintLeft, run = 0; x < ClientWidth; ++x) {
            run = shot.at(originX + x, originY + y) == Black ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

void click(Display* display, int x, int y) {
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    for (const Bool down : {True, False}) {
        XFlush(display);
        pause(down ? 150 : 80);
        XTestFakeButtonEvent(display, 1, down, CurrentTime);
    }
    XFlush(display);
    pause(300);
}

int play(Display* display, const Game& game, bool viaCloseBox) {
    const Window window = findShownWindow(display, "Lettermoor");
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

    // Rows, then columns read downwards, so one search finds either direction.
    std::vector<std::string> lines(2 * std::size_t{GridCells});
    for (int r = 0; r < GridCells; ++r) {
        for (int c = 0; c < GridCells; ++c) {
            const char letter =
                readLetter(shot, ox + CellSize * c + LetterInset, oy + CellSize * r + LetterInset);
            lines[static_cast<std::size_t>(r)] += letter;
            lines[GridCells + static_cast<std::size_t>(c)] += letter;
        }
    }
    std::optional<Placement> placed;
    for (int line = 0; line < 2 * GridCells && !placed; ++line) {
        for (const char* word : Words) {
            const std::size_t at = lines[static_cast<std::size_t>(line)].find(word);
            if (at == std::string::npos) continue;
            const int k = static_cast<int>(at);
            const int n = static_cast<int>(std::strlen(word)) - 1;
            placed = line < GridCells ? Placement{line, k, line, k + n}
                                      : Placement{k, line - GridCells, k + n, line - GridCells};
            break;
        }
    }
    if (!placed) {
        for (int r = 0; r < GridCells; ++r) {
            std::fprintf(stderr, "  %s\n", lines[static_cast<std::size_t>(r)].c_str());
        }
        return fail("none of the ten words is in the grid above");
    }

    const int strikeBefore = longestHintRun(shot, ox, oy);
    const int pixelX = shot.left + ox + CellSize / 2;
    const int pixelY = shot.top + oy + CellSize / 2;
    click(display, pixelX + CellSize * placed->lastColumn, pixelY + CellSize * placed->lastRow);
    click(display, pixelX + CellSize * placed->column, pixelY + CellSize * placed->row);

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

    // Without a window manager the keyboard follows the pointer, which the
    // clicks left over the grid.
    if (viaCloseBox) {
        lettermoor::testing::requestWindowClose(display, window);
    } else {
        lettermoor::testing::tapKey(display, XK_Escape);
    }
    const int status = waitForExit(game, 300);
    return status == 0 ? 0 : fail("the game ended with status " + std::to_string(status));
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
    if (result != 0) waitForExit(*game, 10);
    XCloseDisplay(display);
    std::error_code ignored;
    fs::remove_all(game->folder, ignored);
    if (result == 0) {
        std::printf("wine-play-through: word found, ended by %s, status 0\n", how.c_str());
    }
    return result;
}
