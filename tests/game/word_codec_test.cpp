#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "game/generator.hpp"
#include "game/word_codec.hpp"
#include "game/word_file.hpp"
#include "runtime/cp437.hpp"
#include "runtime/random.hpp"
#include "tests/game/word_test_support.hpp"

namespace {

using wordtest::scrambledFile;

std::string defaultWordFile() {
    std::ifstream in("../run/woerter.txt", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(WordCodec, TheDefaultListRoundTripsAndDeals) {
    const std::string stored = defaultWordFile();
    ASSERT_FALSE(stored.empty());
    const std::string plain = game::decodeWordText(stored);
    std::u32string chars;
    EXPECT_TRUE(runtime::decodeUtf8(plain, chars).ok);

    std::string again;
    game::CodecError error;
    ASSERT_TRUE(game::encodeWordText(plain, again, error)) << error.message;
    EXPECT_EQ(again, stored);

    const game::CheckReport report = game::checkWordText(stored);
    EXPECT_TRUE(report.canDeal);
    EXPECT_GE(report.usableWords, 120);
    // Only the last entry, which the game never draws, may be mentioned.
    const auto findings = std::count(report.text.begin(), report.text.end(), '\n');
    EXPECT_EQ(findings, 2) << report.text;
    EXPECT_NE(report.text.find("never drawn"), std::string::npos);
}

TEST(WordCodec, EncodedTextLoadsAsWritten) {
    std::string stored;
    game::CodecError error;
    ASSERT_TRUE(game::encodeWordText(
        "Kommentar\nHinweis: \r\nKAESE; aus Milch \xC3\xBC\xC3\x9F\rAPFEL; Obst\n", stored, error));
    game::WordList list;
    std::string prefix;
    game::loadWordText(stored, list, prefix);
    EXPECT_EQ(prefix, "Hinweis: ");
    EXPECT_EQ(list.words, (std::vector<std::string>{"", "", "KAESE", "", "APFEL"}));
    EXPECT_EQ(list.hints[2], "aus Milch \x81\xE1");
    EXPECT_EQ(list.hints[4], "Obst");
}

TEST(WordCodec, EveryStorableByteDecodesAndEncodesBack) {
    std::string stored;
    for (int b = 0; b < 256; ++b) {
        if (b != '\n' && b != '\r') stored.push_back(static_cast<char>(b));
    }
    stored = "x\r\n" + stored + "\n\ny\r";
    std::string again;
    game::CodecError error;
    ASSERT_TRUE(game::encodeWordText(game::decodeWordText(stored), again, error))
        << error.line << ":" << error.column << " " << error.message;
    EXPECT_EQ(again, stored);
}

TEST(WordCodec, EncodeNamesLineAndColumnAndLeavesTheOutputAlone) {
    struct Case {
        std::string text;
        std::int32_t line, column;
    };
    const Case cases[] = {
        {"comment\nHinweis:\nEURO; 5 \xE2\x82\xAC\n", 3, 9},  // no such character
        {"a\r\nb\rc\xC3\xA3", 3, 2},                          // ã is not in the code page
        {"ok\nA;-\x03", 2, 4},                                // would be stored as LF
        {"ok\n\x06", 2, 1},                                   // would be stored as CR
        {"ok\nAB\xC3", 2, 3},                                 // truncated UTF-8
    };
    for (const auto& c : cases) {
        std::string out = "untouched";
        game::CodecError error;
        EXPECT_FALSE(game::encodeWordText(c.text, out, error)) << c.text;
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_EQ(error.column, c.column) << c.text;
        EXPECT_FALSE(error.message.empty());
        EXPECT_EQ(out, "untouched");
    }
}

TEST(WordCodec, CheckReportsEntriesTheGameNeverDrawsOrDoubts) {
    const std::string stored = scrambledFile({
        "comment", "Hint:",
        "APFEL;-fruit",                   // line 3: fine
        ";-no word",                      // line 4: empty word
        std::string(25, 'W') + ";-long",  // line 5: too long
        "NOSEP",                          // line 6: no separator
        "Apfel;-lower case",              // line 7
        "APFEL;-again",                   // line 8: duplicate of line 3
        "ZEBRA;-last",                    // line 9: last entry
    });
    const game::CheckReport report = game::checkWordText(stored);
    const auto mentions = [&](const std::string& text) {
        return report.text.find(text) != std::string::npos;
    };
    EXPECT_FALSE(mentions("line 3:"));
    EXPECT_TRUE(mentions("line 4: empty word"));
    EXPECT_TRUE(mentions("line 5: \"WWWWWWWWWWWWWWWWWWWWWWWWW\" is 25 bytes"));
    EXPECT_TRUE(mentions("line 6: \"NOSEP\" has no ';'"));
    EXPECT_TRUE(mentions("line 7: \"Apfel\" is not upper-case"));
    EXPECT_TRUE(mentions("line 8: \"APFEL\" repeats line 3"));
    EXPECT_TRUE(mentions("line 9: \"ZEBRA\" is the last entry"));
    EXPECT_EQ(report.usableWords, 4);  // lines 3, 6, 7 and 8
    EXPECT_FALSE(report.canDeal);
}

TEST(WordCodec, CheckAgreesWithTheGeneratorOnTenWords) {
    std::vector<std::string> lines{"c", "p"};
    for (const char* word : {"EINS", "ZWEI", "DREI", "VIER", "FUENF", "SECHS", "SIEBEN", "ACHT",
                             "NEUN", "ZEHN", "ELF"}) {
        lines.push_back(std::string(word) + "; Zahl");
    }
    EXPECT_TRUE(game::checkWordText(scrambledFile(lines)).canDeal);
    lines.erase(lines.begin() + 2);
    EXPECT_FALSE(game::checkWordText(scrambledFile(lines)).canDeal);
}

TEST(WordCodec, FormatDealShowsTheGridAndEveryWord) {
    const std::string stored = defaultWordFile();
    game::WordList list;
    std::string prefix;
    game::loadWordText(stored, list, prefix);
    runtime::seedRandom(42, 0);
    game::Puzzle puzzle;
    ASSERT_EQ(game::generatePuzzle(list, puzzle), game::DealResult::Dealt);
    const std::string text = game::formatDeal(puzzle);

    std::string firstRow;
    for (const auto& cell : puzzle.grid[0]) firstRow += (firstRow.empty() ? "" : " ") + cell.letter;
    EXPECT_EQ(text.substr(0, firstRow.size() + 1), firstRow + "\n");
    for (const auto& word : puzzle.words) {
        const std::string entry = word.word + " (" + std::to_string(word.first.a) + "," +
                                  std::to_string(word.first.b) + ")-(" +
                                  std::to_string(word.last.a) + "," + std::to_string(word.last.b) +
                                  "): " + runtime::cp437ToUtf8(word.hint) + "\n";
        EXPECT_NE(text.find(entry), std::string::npos) << entry;
    }
}

}  // namespace
