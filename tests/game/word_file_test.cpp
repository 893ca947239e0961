#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "game/word_file.hpp"
#include "game_fixture.hpp"
#include "tests/game/word_test_support.hpp"

namespace {

using wordtest::scramble;
using wordtest::scrambledFile;

std::string loaded(const std::string& bytes) {
    game::WordList list;
    std::string prefix;
    game::loadWordText(bytes, list, prefix);
    return wordtest::describe(list, prefix);
}

TEST(LoadWordText, EntriesSplitAtTheFirstSeparatorIntoEvenSlotsWhateverTheLineEnds) {
    const std::vector<std::string> lines{"head", "P", "ONE;-1", "", "TWO;-2"};
    const std::string two = "P|ONE;1|;|;|;|TWO;2";
    const std::pair<std::string, std::string> cases[] = {
        {scrambledFile({"h", "Hint:", "CAT;-small pet"}), "Hint:|CAT;small pet"},
        {scrambledFile({"h", "Hint:", "CAT;"}), "Hint:|CAT;"},
        // One byte is skipped after the word, separator or not.
        {scrambledFile({"h", "Hint:", "CAT"}), "Hint:|CAT;AT"},
        {scrambledFile({"h", "Hint:", ";-small pet"}), "Hint:|;small pet"},
        {scrambledFile({"h", "Hint:", "AB;-C;D"}), "Hint:|AB;C;D"},
        {scrambledFile({"h", "Hint:", ""}), "Hint:|;"},
        {scrambledFile({"h", "Hint:", "X"}), "Hint:|X;"},
        {scrambledFile(lines), two},
        {scrambledFile(lines, "\r\n"), two},
        {scrambledFile(lines, "\r"), two},
        {scrambledFile({std::string(5000, ';') + "\x01\xFF", "P", "ONE;-1", "", "TWO;-2"}), two},
        {scrambledFile(lines) + "\n", two + "|;|;"},  // a blank last line is an entry
        {scrambledFile({"h", "P", "ONE;-1", ""}) + scramble("TWO;-2"), two},
        // Mixed ends, and a CR right before a CR LF: a blank line between them.
        {scramble("h") + "\r" + scramble("P") + "\r\r\n" + scramble("A;-a") + "\n\r" +
             scramble("B;-b"),
         "P|;|;|A;a|;|;|;|B;b"},
        {"", "|;"},
        {"x\n", "|;"},
    };
    for (const auto& [bytes, expected] : cases) EXPECT_EQ(loaded(bytes), expected) << expected;
}

using WordFileOnDisk = testing_support::GameTest;

// A missing file is created empty; an existing one is read like the same bytes
// in memory and left unchanged; loading forgets the previous list.
TEST_F(WordFileOnDisk, MissingFileIsCreatedEmptyAnExistingOneOnlyReadAnUnopenableOneLoadsEmpty) {
    game::WordList list;
    std::string prefix;
    const auto file = folder() / "woerter.txt";
    game::loadWordText(scrambledFile({"h", "P", "A;-a", "B;-b", "C;-c"}), list, prefix);
    EXPECT_EQ(game::loadWordFile(file.string(), list, prefix), game::WordFileOpen::CreatedEmpty);
    EXPECT_EQ(wordtest::describe(list, prefix), "|;");
    EXPECT_EQ(std::filesystem::file_size(file), 0u);

    // Several megabytes and one very long line, so the file is read in many pieces.
    std::vector<std::string> lines{"head", "Prefix:", "LONG;-" + std::string(300'000, 'h')};
    for (int i = 0; i < 200'000; ++i) lines.push_back("WORD" + std::to_string(i) + ";-hint");
    const std::string bytes = scrambledFile(lines, "\r\n") + scramble("LAST");
    std::ofstream(file, std::ios::binary) << bytes;
    EXPECT_EQ(game::loadWordFile(file.string(), list, prefix), game::WordFileOpen::Read);
    EXPECT_EQ(wordtest::describe(list, prefix), loaded(bytes));
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);

    const auto inMissingFolder = folder() / "no-such-dir" / "woerter.txt";
    EXPECT_EQ(game::loadWordFile(inMissingFolder.string(), list, prefix),
              game::WordFileOpen::Unreadable);
    EXPECT_EQ(wordtest::describe(list, prefix), "|;");
    EXPECT_FALSE(std::filesystem::exists(inMissingFolder.parent_path()));
}

}  // namespace
