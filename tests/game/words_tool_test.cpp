#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>

#include "game_fixture.hpp"
#include "tests/game/word_test_support.hpp"

namespace {

// Runs the built tool in the game fixture's temporary folder, which is the
// working folder, with files there for stdin, stdout and stderr.
class WordsTool : public testing_support::GameTest {
  protected:
    // `shell` runs before the tool in the same shell, to set limits.
    int run(const std::string& arguments, const std::string& input, const std::string& shell = "") {
        std::ofstream("in", std::ios::binary) << input;
        const int status =
            std::system((shell + tool_ + " " + arguments + " < in > out 2> err").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string file(const char* name) const {
        std::ifstream in(folder() / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // Found from the test program's folder, before the fixture leaves it.
    const std::string tool_ = std::filesystem::absolute("../bin/lettermoor-words").string();
};

// A plain list with one entry WORTx per letter x of `letters`.
std::string listOf(const std::string& letters) {
    std::string plain = "c\np\n";
    for (const char c : letters) plain += "WORT" + std::string(1, c) + "; x\n";
    return plain;
}

// What encode makes of plain code page 437 text: every byte but the line feeds scrambled.
std::string scrambled(const std::string& plain) {
    std::string out;
    for (const char c : plain) out += c == '\n' ? "\n" : wordtest::scramble(std::string(1, c));
    return out;
}

// -o replaces FILE only with a completely written new list: a refused input
// and a write that fails midway leave it as it was, with no partial file
// beside it. A full disk needs a small file system mounted; a file size limit
// (with SIGXFSZ ignored) makes write() fail after the first blocks the same
// way, without privileges.
TEST_F(WordsTool, OutputFileIsReplacedOnlyWhenEverythingWasWritten) {
    const std::string list = (folder() / "woerter.txt").string();
    const std::string big = listOf(std::string(20000, 'A'));
    // Arguments, input, shell commands before the tool, exit status, message.
    const std::tuple<std::string, std::string, std::string, int, std::string> cases[] = {
        {"encode -o " + list, listOf("AB") + "\xE2\x82\xAC\n", "", 2, "line 5, column 1"},
        {"encode -o " + list, big, "trap '' XFSZ; ulimit -f 8; ", 2,
         "cannot write " + list + ": File too large; it is left as it was"},
    };
    for (const auto& [arguments, input, shell, status, says] : cases) {
        std::ofstream(list, std::ios::binary) << "old list";
        EXPECT_EQ(run(arguments, input, shell), status) << arguments;
        EXPECT_NE(file("err").find(says), std::string::npos) << file("err");
        EXPECT_TRUE(file("woerter.txt") == "old list") << "the list was changed";
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), {}), 4)
            << "only in, out, err and the list";
    }
    ASSERT_EQ(run("encode", big), 0);
    const std::string stored = file("out");
    ASSERT_EQ(run("encode -o " + list, big), 0);
    EXPECT_EQ(file("woerter.txt"), stored);
    EXPECT_EQ(file("out"), "");
    // Through a link, the list it names is replaced and the link stays.
    std::filesystem::create_symlink(list, folder() / "link");
    ASSERT_EQ(run("decode -o " + (folder() / "link").string(), stored), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(folder() / "link"));
    EXPECT_EQ(file("woerter.txt"), big);
}

// Bad use and lists nothing can be dealt from get exit codes and a message.
TEST_F(WordsTool, ExitStatusAndMessageForBadUseAndHostileFiles) {
    // Words get the grid's letters; header lines and hints stay as written,
    // and the byte-order mark goes.
    const std::string plain =
        "\xEF\xBB\xBF"
        "c\xC3\xA4\nP\xC3\xBC:\nk\xC3\xA4se; s\xC3\xBC\xC3\x9F\nSTRA\xC3\x9F"
        "E\n\xC3\x84\xC3\x96\xC3\x9C\xC3\xB6;-\xC3\x84\nOK; x\n";
    // Arguments, input, exit status, message in stdout or stderr.
    const std::tuple<std::string, std::string, int, std::string> cases[] = {
        {"encode", plain, 0, "3 words changed to capitals A to Z"},
        {"encode", plain, 0,
         scrambled("c\x84\nP\x81:\nKAESE; s\x81\xE1\nSTRASSE\nAEOEUEOE;-\x8E\n")},
        {"encode --exact", plain, 0, scrambled("k\x84se; s\x81\xE1\nSTRA\xE1")},
        {"encode --exact -o", "", 2, "-o needs a file name"},
        {"deal --seed 5", scrambled(listOf("ABCDEFGHIJK")), 0, "1. WORT"},
        // Ten usable words, as the generator needs, but one with a letter outside A to Z.
        {"check", scrambled(listOf("ABCDEFGHI") + "Apfel; x\nZ; x\n"), 1,
         "11 entries, 10 usable words: a puzzle can be dealt"},
        {"deal --seed 3", scrambled(listOf("AB")), 1,
         "lettermoor-words: no puzzle dealt: the input has 1 usable word,"},
        {"", "", 2, "missing command"},
        {"deal --seed banana", "", 2, "--seed needs a number"},
    };
    for (const auto& [arguments, input, status, says] : cases) {
        EXPECT_EQ(run(arguments, input), status) << arguments << " on " << input.size() << " bytes";
        const std::string text = file("out") + file("err");
        EXPECT_NE(text.find(says), std::string::npos) << arguments << ": " << text;
        EXPECT_TRUE(status != 2 || file("out").empty()) << "errors write no output: " << arguments;
    }
}

}  // namespace
