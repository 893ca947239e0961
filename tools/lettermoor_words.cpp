// lettermoor-words: prepares and inspects the game's scrambled word files.

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "game/generator.hpp"
#include "game/word_codec.hpp"
#include "game/word_file.hpp"
#include "runtime/clock.hpp"
#include "runtime/random.hpp"
#include "runtime/standard_streams.hpp"
#include "runtime/version.hpp"

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNoPuzzle = 1;
constexpr int kExitError = 2;

constexpr std::string_view kUsage =
    "Usage: lettermoor-words COMMAND [OPTIONS] < INPUT [> OUTPUT]\n"
    "\n"
    "Prepares and inspects woerter.txt, the game's scrambled word file.\n"
    "\n"
    "Commands:\n"
    "  encode [--exact] [-o FILE]\n"
    "                     plain UTF-8 word list in, scrambled code page 437 out;\n"
    "                     line breaks are kept, a leading byte-order mark is\n"
    "                     dropped; words (not hints) are written in capitals\n"
    "                     A to Z: a-z raised, \xC3\x84 \xC3\x96 \xC3\x9C \xC3\x9F as AE OE UE SS; "
    "--exact keeps\n"
    "                     them as written\n"
    "  decode [-o FILE]   scrambled word file in, plain UTF-8 out\n"
    "  deal [--seed S]    deal a puzzle from a scrambled word file exactly as the\n"
    "                     game does; S defaults to the clock\n"
    "  check              report entries the game never draws and doubtful ones\n"
    "  --help             this text\n"
    "  --version          the tool's version and licence\n"
    "\n"
    "-o FILE writes a new file beside FILE and renames it over FILE only when\n"
    "everything was written, so a refused input or a full disk leaves FILE as it\n"
    "was. Without -o the output goes to standard output.\n"
    "\n"
    "Word file: line 1 is ignored, line 2 is the label prefix, every further line\n"
    "is an entry WORD;?HINT where the one character after ';' is skipped.\n"
    "\n"
    "Output of deal: the 20 grid rows, letters separated by spaces, then a blank\n"
    "line, then one line per word: N. WORD (ROW,COLUMN)-(ROW,COLUMN): HINT, the\n"
    "first and last cell counted from 0 at the top left.\n"
    "Output of check: one line per finding, \"line N: ...\", then a summary line.\n"
    "\n"
    "Exit status:\n"
    "  0  success (check: a puzzle can be dealt and every word is A to Z)\n"
    "  1  check: fewer than 10 usable words, or words with letters outside A to Z;\n"
    "     deal: no puzzle could be dealt\n"
    "  2  bad input (encode: a character that cannot be stored), a file that\n"
    "     cannot be read or written, or bad usage\n";

// Reads all of standard input; false with the system's reason on a read error,
// so an unreadable input is never taken for an empty list.
bool readStandardInput(std::string& text) {
    std::string why;
    if (game::readWholeFile(fileno(stdin), text, why, true)) return true;
    std::fprintf(stderr, "lettermoor-words: cannot read the input: %s\n", why.c_str());
    return false;
}

// A file beside the one it will replace; removed again unless it was renamed.
class SiblingFile {
  public:
    explicit SiblingFile(const std::filesystem::path& target) {
        const std::filesystem::path folder =
            target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
        // O_EXCL: never write into a file some other program made meanwhile.
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            path_ = folder / ("." + target.filename().string() + "." + std::to_string(::getpid()) +
                              "." + std::to_string(attempt) + ".tmp");
            fd_ = ::open(path_.string().c_str(), O_WRONLY | O_CREAT | O_EXCL | kBinary, 0666);
            if (fd_ < 0 && errno != EEXIST) break;
        }
        error_ = fd_ < 0 ? errno : 0;
    }
    SiblingFile(const SiblingFile&) = delete;
    SiblingFile& operator=(const SiblingFile&) = delete;
    ~SiblingFile() {
        if (fd_ >= 0) ::close(fd_);
        std::error_code ignored;
        if (!renamed_) std::filesystem::remove(path_, ignored);
    }

    // Empty, or the system's reason for the failure.
    std::error_code replace(const std::filesystem::path& target, std::string_view bytes) {
        if (fd_ < 0) return lastError(error_);
        keepPermissionsOf(target);
        while (!bytes.empty()) {
            const auto chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1U << 30));
            const auto wrote = ::write(fd_, bytes.data(), chunk);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) return lastError(wrote < 0 ? errno : EIO);
            bytes.remove_prefix(static_cast<std::size_t>(wrote));
        }
        // On the disk before the name moves, or a crash could leave FILE empty.
        if (syncToDisk(fd_) != 0) return lastError(errno);
        const int closed = ::close(fd_);
        fd_ = -1;
        if (closed != 0) return lastError(errno);
        std::error_code error;
        std::filesystem::rename(path_, target, error);
        renamed_ = !error;
        return error;
    }

  private:
    static std::error_code lastError(int number) { return {number, std::generic_category()}; }
#if defined(_WIN32)
    static constexpr int kBinary = O_BINARY;
    static int syncToDisk(int fd) {
        return ::_commit(fd);
    }
    void keepPermissionsOf(const std::filesystem::path&) const {}
#else
    static constexpr int kBinary = 0;
    static int syncToDisk(int fd) {
        return ::fsync(fd);
    }
    void keepPermissionsOf(const std::filesystem::path& target) const {
        struct stat old {};
        if (::stat(target.c_str(), &old) == 0) ::fchmod(fd_, old.st_mode & 07777);
    }
#endif

    std::filesystem::path path_;
    int fd_ = -1;
    int error_ = 0;
    bool renamed_ = false;
};

int writeStandardOutput(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
        std::fflush(stdout) != 0) {
        std::fputs("lettermoor-words: cannot write the output\n", stderr);
        return kExitError;
    }
    return kExitOk;
}

// To FILE when one was given, else to standard output.
int writeOutput(const std::string& file, std::string_view bytes) {
    if (file.empty()) return writeStandardOutput(bytes);
    std::error_code ignored;
    // Through a link the file it names is replaced, and the link stays.
    std::filesystem::path target = file;
    if (std::filesystem::is_symlink(target, ignored)) {
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, ignored);
        if (!resolved.empty()) target = resolved;
    }
    const std::error_code error = SiblingFile(target).replace(target, bytes);
    if (!error) return kExitOk;
    std::fprintf(stderr, "lettermoor-words: cannot write %s: %s%s\n", file.c_str(),
                 error.message().c_str(),
                 std::filesystem::exists(file, ignored) ? "; it is left as it was" : "");
    return kExitError;
}

int usageError(std::string_view message) {
    std::fprintf(stderr, "lettermoor-words: %.*s\nTry 'lettermoor-words --help'.\n",
                 static_cast<int>(message.size()), message.data());
    return kExitError;
}

int runEncode(const std::string& file, game::WordSpelling spelling) {
    std::string in;
    if (!readStandardInput(in)) return kExitError;
    std::string out;
    game::CodecError error;
    std::int32_t changed = 0;
    if (!game::encodeWordText(in, out, error, spelling, &changed)) {
        std::fprintf(stderr, "lettermoor-words: line %d, column %d: %s\n", error.line, error.column,
                     error.message.c_str());
        return kExitError;
    }
    if (changed != 0) {
        std::fprintf(stderr,
                     "lettermoor-words: %d %s changed to capitals A to Z (--exact keeps words "
                     "as written)\n",
                     changed, changed == 1 ? "word" : "words");
    }
    return writeOutput(file, out);
}

int runDeal(double seed) {
    std::string in;
    if (!readStandardInput(in)) return kExitError;
    game::WordList list;
    std::string prefix;
    game::loadWordText(std::move(in), list, prefix);
    runtime::seedRandom(seed, 0);
    game::Puzzle puzzle;
    const game::DealResult result = game::generatePuzzle(list, puzzle);
    if (result != game::DealResult::Dealt) {
        std::fprintf(stderr, "%s\n",
                     game::describeRefusal(result, game::countUsableSlots(list), "the input",
                                           "lettermoor-words")
                         .c_str());
        return kExitNoPuzzle;
    }
    return writeStandardOutput(game::formatDeal(puzzle));
}

bool parseSeed(const char* text, double& seed) {
    char* end = nullptr;
    seed = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(seed);
}

// The options of encode and decode: kExitOk, or the status after reporting a bad one.
int parseFileOptions(int argc, char** argv, bool allowExact, std::string& file,
                     game::WordSpelling& spelling) {
    for (int i = 2; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "-o" && i + 1 < argc && argv[i + 1][0] != '\0') {
            file = argv[++i];
        } else if (option == "--exact" && allowExact) {
            spelling = game::WordSpelling::AsWritten;
        } else {
            return usageError(option == "-o" ? "-o needs a file name"
                                             : "unknown option '" + std::string(option) + "'");
        }
    }
    return kExitOk;
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
        return writeStandardOutput(runtime::versionText("lettermoor-words"));
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
    if (command == "encode" || command == "decode") {
        std::string file;
        auto spelling = game::WordSpelling::GridLetters;
        const int status = parseFileOptions(argc, argv, command == "encode", file, spelling);
        if (status != kExitOk) return status;
        if (command == "encode") return runEncode(file, spelling);
        std::string in;
        if (!readStandardInput(in)) return kExitError;
        return writeOutput(file, game::decodeWordText(in));
    }
    if (argc != 2) return usageError("too many arguments");
    if (command == "check") {
        std::string in;
        if (!readStandardInput(in)) return kExitError;
        // Findings go out as they are found: a long list can have millions.
        bool writeFailed = false;
        const game::CheckReport report =
            game::checkWordBytes(std::move(in), [&](std::string_view lines) {
                writeFailed = writeFailed ||
                              std::fwrite(lines.data(), 1, lines.size(), stdout) != lines.size();
            });
        if (writeFailed || std::fflush(stdout) != 0) {
            std::fputs("lettermoor-words: cannot write the output\n", stderr);
            return kExitError;
        }
        return report.canDeal && report.wordsOutsideAtoZ == 0 ? kExitOk : kExitNoPuzzle;
    }
    return usageError("unknown command '" + std::string(command) + "'");
}
