#include "game/command_line.hpp"

#include <cstdio>
#include <string_view>

#include "runtime/version.hpp"

namespace game {
namespace {

constexpr const char* kUsage =
    "Usage: lettermoor [--help | --version]\n"
    "\n"
    "Opens the Lettermoor word-search window. Without arguments it plays; it\n"
    "reads woerter.txt and win.bmp from the folder it starts in.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the game's version and licence\n"
    "\n"
    "Exit status: 0 when ended by Esc or the window's close box, 1 when the\n"
    "display is lost, 2 for an argument the game does not take.\n";

}  // namespace

std::optional<int> answerCommandLine(int argc, const char* const* argv) {
    if (argc < 2) return std::nullopt;
    const std::string_view argument = argv[1];
    if (argc == 2 && argument == "--version") {
        std::fputs(runtime::versionText("lettermoor").c_str(), stdout);
        return 0;
    }
    if (argc == 2 && (argument == "--help" || argument == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::fprintf(stderr, "lettermoor: the game takes no argument '%s'\n%s", argv[1], kUsage);
    return 2;
}

}  // namespace game
