#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "game/word_file.hpp"
#include "tests/game/word_test_support.hpp"

namespace {

using wordtest::scramble;
using wordtest::scrambledFile;

struct Loaded {
    game::WordList list;
    std::string prefix;
};

Loaded loadText(std::string_view bytes) {
    Loaded loaded;
    game::loadWordText(bytes, loaded.list, loaded.prefix);
    return loaded;
}

std::size_t highestSlot(const Loaded& loaded) {
    return loaded.list.words.size() - 1;
}

TEST(WordFileShift, NoPrintableByteIsStoredAsALineBreak) {
    for (int b = 0x20; b <= 0xFF; ++b) {
        const auto stored = game::scrambleByte(static_cast<std::uint8_t>(b));
        EXPECT_NE(stored, '\n') << b;
        EXPECT_NE(stored, '\r') << b;
        EXPECT_EQ(game::unscrambleByte(stored), b);
    }
}

TEST(UnscrambleLine, ChangesTheLineInPlaceAndReturnsACopy) {
    std::string line = scramble("K\x84SE;-x");
    const std::string copy = game::unscrambleLine(line);
    EXPECT_EQ(line, "K\x84SE;-x");
    EXPECT_EQ(copy, line);
}

TEST(LoadWordText, EntryLinesSplitAtTheFirstSeparatorAndSkipOneByte) {
    struct Case {
        std::string line, word, hint;
    };
    const Case cases[] = {
        {"CAT;-small pet", "CAT", "small pet"},
        {"CAT;", "CAT", ""},
        {"CAT;-", "CAT", ""},
        {"CAT", "CAT", "AT"},
        {";-small pet", "", "small pet"},
        {"AB;-C;D", "AB", "C;D"},
        {"", "", ""},
        {"X", "X", ""},
    };
    for (const auto& c : cases) {
        const Loaded loaded = loadText(scrambledFile({"head", "Hint:", c.line}));
        ASSERT_EQ(highestSlot(loaded), 2u) << c.line;
        EXPECT_EQ(loaded.list.words[2], c.word) << c.line;
        EXPECT_EQ(loaded.list.hints[2], c.hint) << c.line;
        EXPECT_EQ(loaded.prefix, "Hint:");
    }
}

TEST(LoadWordText, EntriesLandInEvenSlotsAndAFinalLineFeedAddsNone) {
    const Loaded loaded = loadText(scrambledFile({"head", "P", "ONE;-1", "TWO;-2"}));
    ASSERT_EQ(highestSlot(loaded), 4u);
    ASSERT_EQ(loaded.list.hints.size(), loaded.list.words.size());
    EXPECT_EQ(loaded.list.words[2], "ONE");
    EXPECT_EQ(loaded.list.hints[4], "2");
    for (const std::size_t empty : {0u, 1u, 3u}) {
        EXPECT_EQ(loaded.list.words[empty], "");
        EXPECT_EQ(loaded.list.hints[empty], "");
    }

    const Loaded withBlank = loadText(scrambledFile({"head", "P", "ONE;-1", "TWO;-2", ""}));
    ASSERT_EQ(highestSlot(withBlank), 6u);
    EXPECT_EQ(withBlank.list.words[6], "");

    const Loaded noFinalEnd = loadText(scrambledFile({"head", "P", "ONE;-1"}) + scramble("TWO;-2"));
    ASSERT_EQ(highestSlot(noFinalEnd), 4u);
    EXPECT_EQ(noFinalEnd.list.words[4], "TWO");
}

TEST(LoadWordText, CrLfAndLoneCrEndLinesLikeLineFeed) {
    const std::vector<std::string> lines{"head", "Prefix", "ONE;-1", "", "TWO;-2"};
    const Loaded lf = loadText(scrambledFile(lines, "\n"));
    for (const std::string_view end : {"\r\n", "\r"}) {
        const Loaded other = loadText(scrambledFile(lines, end));
        EXPECT_EQ(other.prefix, lf.prefix);
        EXPECT_EQ(other.list.words, lf.list.words);
        EXPECT_EQ(other.list.hints, lf.list.hints);
    }
    // Mixed ends, and a CR right before a CR LF: a blank line between them.
    const Loaded mixed = loadText(scramble("h") + "\r" + scramble("P") + "\r\r\n" +
                                  scramble("A;-a") + "\n\r" + scramble("B;-b"));
    EXPECT_EQ(mixed.prefix, "P");
    EXPECT_EQ(mixed.list.words, (std::vector<std::string>{"", "", "", "", "A", "", "", "", "B"}));
}

TEST(LoadWordText, ShortFilesYieldOneEmptyEntry) {
    for (const std::string_view bytes :
         {std::string_view(""), std::string_view("\n"), std::string_view("x\n")}) {
        const Loaded loaded = loadText(bytes);
        EXPECT_EQ(loaded.prefix, "");
        ASSERT_EQ(highestSlot(loaded), 2u);
        EXPECT_EQ(loaded.list.words[2], "");
        EXPECT_EQ(loaded.list.hints[2], "");
    }
}

TEST(LoadWordText, LineOneChangesNothing) {
    const Loaded plain = loadText(scrambledFile({"", "P", "A;-a"}));
    const Loaded noisy =
        loadText(scrambledFile({std::string(5000, ';') + "\x01\xFF", "P", "A;-a"}));
    EXPECT_EQ(noisy.prefix, plain.prefix);
    EXPECT_EQ(noisy.list.words, plain.list.words);
    EXPECT_EQ(noisy.list.hints, plain.list.hints);
}

TEST(LoadWordText, LinesHaveNoLengthLimit) {
    const std::string longHint(300'000, 'h');
    const Loaded loaded = loadText(scrambledFile({"head", "P", "LONG;-" + longHint}));
    EXPECT_EQ(loaded.list.hints[2], longHint);
}

TEST(LoadWordText, ReloadingForgetsThePreviousList) {
    Loaded loaded = loadText(scrambledFile({"h", "P", "A;-a", "B;-b", "C;-c"}));
    game::loadWordText(scrambledFile({"h", "Q", "D;-d"}), loaded.list, loaded.prefix);
    EXPECT_EQ(loaded.prefix, "Q");
    EXPECT_EQ(loaded.list.words, (std::vector<std::string>{"", "", "D"}));
    EXPECT_EQ(loaded.list.hints, (std::vector<std::string>{"", "", "d"}));
}

class WordFileOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("lettermoor-words-") + info->name() + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string path(const char* name) const { return (dir_ / name).string(); }

    static void write(const std::string& file, const std::string& bytes) {
        std::ofstream out(file, std::ios::binary);
        out << bytes;
    }
    static std::string read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dir_;
};

TEST_F(WordFileOnDisk, MissingFileIsCreatedEmpty) {
    const std::string file = path("woerter.txt");
    game::WordList list;
    std::string prefix = "stale";
    EXPECT_EQ(game::loadWordFile(file, list, prefix), game::WordFileOpen::CreatedEmpty);
    EXPECT_EQ(prefix, "");
    EXPECT_EQ(list.words, (std::vector<std::string>{"", "", ""}));
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(std::filesystem::file_size(file), 0u);

    EXPECT_EQ(game::loadWordFile(file, list, prefix), game::WordFileOpen::Read);
}

TEST_F(WordFileOnDisk, UnopenableFileLoadsAsEmpty) {
    game::WordList list;
    std::string prefix;
    EXPECT_EQ(game::loadWordFile(path("no-such-dir/woerter.txt"), list, prefix),
              game::WordFileOpen::Unreadable);
    EXPECT_EQ(list.words, (std::vector<std::string>{"", "", ""}));
    EXPECT_FALSE(std::filesystem::exists(path("no-such-dir")));
}

TEST_F(WordFileOnDisk, ExistingFileIsReadLikeTheSameBytesAndLeftUnchanged) {
    // Several megabytes so the file is read in more than one piece.
    std::vector<std::string> lines{"head", "Prefix:"};
    for (int i = 0; i < 200'000; ++i) lines.push_back("WORD" + std::to_string(i) + ";-hint");
    const std::string bytes = scrambledFile(lines, "\r\n") + scramble("LAST");
    const std::string file = path("woerter.txt");
    write(file, bytes);
    const auto before = std::filesystem::last_write_time(file);

    game::WordList fromFile;
    std::string filePrefix;
    EXPECT_EQ(game::loadWordFile(file, fromFile, filePrefix), game::WordFileOpen::Read);
    const Loaded fromText = loadText(bytes);
    EXPECT_EQ(filePrefix, "Prefix:");
    EXPECT_EQ(fromFile.words, fromText.list.words);
    EXPECT_EQ(fromFile.hints, fromText.list.hints);
    EXPECT_EQ(fromFile.words.back(), "LAST");
    EXPECT_EQ(read(file), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(file), before);
}

}  // namespace
