// lettermoor-words: prepares and inspects the game's scrambled word files.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "game/generator.hpp"
#include "game/word_codec.hpp"
#include "game/word_file.hpp"
#include "runtime/clock.hpp"
#include "runtime/random.hpp"
#include "runtime/standard_streams.hpp"
#include "runtime/version.hpp"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNoPuzzle = 1;
constexpr int kExitError = 2;

constexpr std::string_view kUsage =
    "Usage: lettermoor-words COMMAND [OPTIONS] < INPUT > OUTPUT\n"
    "\n"
    "Prepares and inspects woerter.txt, the game's scrambled word file.\n"
    "\n"
    "Commands:\n"
    "  encode             plain UTF-8 word list in, scrambled code page 437 out;\n"
    "                     line breaks are kept as they are\n"
    "  decode             scrambled word file in, plain UTF-8 out\n"
    "  deal [--seed S]    deal a puzzle from a scrambled word file exactly as the\n"
    "                     game does and print the grid and the ten words;\n"
    "                     S defaults to the clock\n"
    "  check              report entries the game never draws and doubtful ones\n"
    "  --help             this text\n"
    "  --version          the tool's version\n"
    "\n"
    "Word file: line 1 is ignored, line 2 is the label prefix, every further line\n"
    "is an entry WORD;?HINT where the one character after ';' is skipped.\n"
    "\n"
    "Exit status:\n"
    "  0  success (check: a puzzle can be dealt)\n"
    "  1  check: fewer than 10 usable words; deal: no puzzle could be dealt\n"
    "  2  bad input (encode: a character that cannot be stored) or bad usage\n";

std::string readStandardInput() {
    std::ios::sync_with_stdio(false);
    return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
}

int writeStandardOutput(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
        std::fflush(stdout) != 0) {
        std::fputs("lettermoor-words: cannot write the output\n", stderr);
        return kExitError;
    }
    return kExitOk;
}

int usageError(std::string_view message) {
    std::fprintf(stderr, "lettermoor-words: %.*s\nTry 'lettermoor-words --help'.\n",
                 static_cast<int>(message.size()), message.data());
    return kExitError;
}

int runEncode() {
    std::string out;
    game::CodecError error;
    if (!game::encodeWordText(readStandardInput(), out, error)) {
        std::fprintf(stderr, "lettermoor-words: line %d, column %d: %s\n", error.line, error.column,
                     error.message.c_str());
        return kExitError;
    }
    return writeStandardOutput(out);
}

int runDeal(double seed) {
    game::WordList list;
    std::string prefix;
    game::loadWordText(readStandardInput(), list, prefix);
    runtime::seedRandom(seed, 0);
    game::Puzzle puzzle;
    const game::DealResult result = game::generatePuzzle(list, puzzle);
    if (result != game::DealResult::Dealt) {
        std::fprintf(
            stderr, "%s\n",
            game::describeRefusal(result, game::countUsableSlots(list), "the input").c_str());
        return kExitNoPuzzle;
    }
    return writeStandardOutput(game::formatDeal(puzzle));
}

bool parseSeed(const char* text, double& seed) {
    char* end = nullptr;
    seed = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(seed);
}

}  // namespace

int main(int argc, char** argv) {
    runtime::guardStandardStreams("lettermoor-words", kExitError);
#if defined(_WIN32)
    // Word files are bytes: no line-end translation, and 0x1A is no end of file.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (argc < 2) return usageError("missing command");
    const std::string_view command = argv[1];
    if (command == "--help" || command == "-h") return writeStandardOutput(kUsage);
    if (command == "--version") {
        return writeStandardOutput("lettermoor-words " + std::string(runtime::Version) + "\n");
    }

    if (command == "deal") {
        double seed = runtime::clockSeconds();
        if (argc == 4 && std::string_view(argv[2]) == "--seed") {
            if (!parseSeed(argv[3], seed)) return usageError("--seed needs a number");
        } else if (argc != 2) {
            return usageError("deal takes only --seed S");
        }
        return runDeal(seed);
    }
    if (argc != 2) return usageError("too many arguments");
    if (command == "encode") return runEncode();
    if (command == "decode") return writeStandardOutput(game::decodeWordText(readStandardInput()));
    if (command == "check") {
        const game::CheckReport report = game::checkWordText(readStandardInput());
        const int written = writeStandardOutput(report.text);
        if (written != kExitOk) return written;
        return report.canDeal ? kExitOk : kExitNoPuzzle;
    }
    return usageError("unknown command '" + std::string(command) + "'");
}
