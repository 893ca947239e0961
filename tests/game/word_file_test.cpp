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

// The game fixture for its temporary folder.
class WordFileOnDisk : public testing_support::GameTest {
  protected:
    game::WordList list_;
    std::string prefix_ = "stale";
};

// Loading forgets the previous list.
TEST_F(WordFileOnDisk, MissingFileIsCreatedEmptyAndAnUnopenableOneLoadsAsEmpty) {
    const std::string file = (folder() / "woerter.txt").string();
    game::loadWordText(scrambledFile({"h", "P", "A;-a", "B;-b", "C;-c"}), list_, prefix_);
    EXPECT_EQ(game::loadWordFile(file, list_, prefix_), game::WordFileOpen::CreatedEmpty);
    EXPECT_EQ(wordtest::describe(list_, prefix_), "|;");
    EXPECT_EQ(std::filesystem::file_size(file), 0u);
    EXPECT_EQ(game::loadWordFile(file, list_, prefix_), game::WordFileOpen::Read);

    const auto inMissingFolder = folder() / "no-such-dir" / "woerter.txt";
    prefix_ = "stale";
    EXPECT_EQ(game::loadWordFile(inMissingFolder.string(), list_, prefix_),
              game::WordFileOpen::Unreadable);
    EXPECT_EQ(wordtest::describe(list_, prefix_), "|;");
    EXPECT_FALSE(std::filesystem::exists(inMissingFolder.parent_path()));
}

TEST_F(WordFileOnDisk, ExistingFileIsReadLikeTheSameBytesAndLeftUnchanged) {
    // Several megabytes and one very long line, so the file is read in many pieces.
    std::vector<std::string> lines{"head", "Prefix:", "LONG;-" + std::string(300'000, 'h')};
    for (int i = 0; i < 200'000; ++i) lines.push_back("WORD" + std::to_string(i) + ";-hint");
    const std::string bytes = scrambledFile(lines, "\r\n") + scramble("LAST");
    const auto file = folder() / "woerter.txt";
    std::ofstream(file, std::ios::binary) << bytes;

    EXPECT_EQ(game::loadWordFile(file.string(), list_, prefix_), game::WordFileOpen::Read);
    EXPECT_EQ(wordtest::describe(list_, prefix_), loaded(bytes));
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);
}

}  // namespace
