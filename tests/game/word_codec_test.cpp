#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <tuple>

#include "game/word_codec.hpp"
#include "game/word_file.hpp"
#include "game/word_file_repeats.hpp"
#include "game/word_file_slots.hpp"
#include "runtime/cp437.hpp"
#include "tests/game/word_test_support.hpp"

namespace {

TEST(WordCodec, TheDefaultListAndEveryStorableByteDecodeToUtf8AndEncodeBack) {
    std::ifstream in("../run/woerter.txt", std::ios::binary);
    const std::string defaultList(std::istreambuf_iterator<char>(in), {});
    std::string everyByte = "x\r\n";
    for (int b = 0; b < 256; ++b) {
        if (b != '\n' && b != '\r') everyByte.push_back(static_cast<char>(b));
    }
    for (const std::string& stored : {defaultList, everyByte + "\n\ny\r"}) {
        ASSERT_FALSE(stored.empty());
        const std::string plain = game::decodeWordText(stored);
        std::u32string chars;
        EXPECT_TRUE(runtime::decodeUtf8(plain, chars));
        std::string again;
        game::CodecError error;
        ASSERT_TRUE(game::encodeWordText(plain, again, error))
            << error.line << ":" << error.column << " " << error.message;
        EXPECT_EQ(again, stored);
    }
    const game::CheckReport report = game::checkWordText(defaultList);
    EXPECT_TRUE(report.canDeal);
    EXPECT_GE(report.usableWords, 120);
    // Only the last entry, which the game never draws, may be mentioned.
    EXPECT_EQ(std::count(report.text.begin(), report.text.end(), '\n'), 2) << report.text;
    EXPECT_NE(report.text.find("never drawn"), std::string::npos);
}

TEST(WordCodec, EncodeNamesLineAndColumnAndLeavesTheOutputAlone) {
    const std::tuple<std::string, std::int32_t, std::int32_t> cases[] = {
        {"a\r\nb\rc\xC3\xA3", 3, 2},  // ã is not in the code page
        {"ok\nA;-\x03", 2, 4},        // would be stored as LF
        {"ok\n\x06", 2, 1},           // would be stored as CR
        {"ok\nAB\xC3", 2, 3},         // truncated UTF-8
    };
    for (const auto& [text, line, column] : cases) {
        std::string out = "untouched";
        game::CodecError error;
        EXPECT_FALSE(game::encodeWordText(text, out, error)) << text;
        EXPECT_EQ(std::pair(error.line, error.column), std::pair(line, column)) << text;
        EXPECT_FALSE(error.message.empty());
        EXPECT_EQ(out, "untouched");
    }
}

TEST(WordCodec, CheckReportsEntriesTheGameNeverDrawsOrDoubts) {
    const std::string stored = wordtest::scrambledFile({
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
    EXPECT_EQ(report.text.find("line 3:"), std::string::npos);
    for (const char* finding :
         {"line 4: empty word", "line 5: \"WWWWWWWWWWWWWWWWWWWWWWWWW\" is 25 bytes",
          "line 6: \"NOSEP\" has no ';'", "line 7: \"Apfel\" has letters outside A to Z",
          "line 8: \"APFEL\" repeats line 3", "line 9: \"ZEBRA\" is the last entry"}) {
        EXPECT_NE(report.text.find(finding), std::string::npos) << finding;
    }
    // Usable: lines 3, 6, 7 and 8; outside A to Z: line 7.
    EXPECT_EQ(std::tuple(report.usableWords, report.wordsOutsideAtoZ, report.canDeal),
              std::tuple(4, 1, false));
}

TEST(WordCodec, RepeatsAreFoundAlikeInOnePassOrManyWithAnyBudget) {
    // 20,000 words, most of them several times, some cut by a hint or too long.
    std::vector<std::string> lines{"c", "p"};
    for (std::uint32_t i = 0; i < 60'000; ++i) {
        const std::uint32_t n = i * 7919 % 20'011;
        lines.push_back(n % 97 == 0 ? std::string(21, 'L') : "W" + std::to_string(n) + ";-h");
    }
    std::map<std::string, std::uint32_t> firstOf;
    std::vector<std::uint32_t> expected(lines.size() - 1, 0);
    for (std::uint32_t k = 1; k + 1 < lines.size(); ++k) {
        const std::string word = lines[k + 1].substr(0, lines[k + 1].find(';'));
        if (word.size() > 20) continue;
        const auto [at, added] = firstOf.emplace(word, k);
        if (!added) expected[k] = at->second;
    }
    game::WordList list;
    std::string prefix;
    game::loadWordText(wordtest::scrambledFile(lines), list, prefix);
    // Room for everything; no room to list each repeat's first; no room for one pass.
    for (const std::size_t budget :
         {std::size_t{64} << 20, std::size_t{800} << 10, std::size_t{0}}) {
        game::WordRepeats repeats(*list.words.entryLines(), 20, budget);
        EXPECT_EQ(repeats.passes() > 1, budget == 0) << budget;
        for (std::uint32_t k = 1; k + 1 < lines.size(); ++k) {
            const std::string_view word = list.words[2 * std::size_t{k}];
            if (word.size() > 20) continue;
            ASSERT_EQ(repeats.firstOf(k, word), expected[k])
                << "entry " << k << ", budget " << budget;
        }
    }
}

TEST(WordCodec, FormatDealShowsTheGridAndNumberedWordsInUtf8) {
    game::Puzzle puzzle;
    puzzle.grid[0][1].letter = "\x8E";
    puzzle.words[1] = {"K\x8ESE", "aus Milch \xE1", 0, {0, 1}, {4, 1}};
    const std::string text = game::formatDeal(puzzle);
    EXPECT_EQ(text.substr(0, text.find('\n')), ". \xC3\x84 . . . . . . . . . . . . . . . . . .");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 20 + 1 + 10);
    EXPECT_NE(
        text.find("\n\n1.  (-1,-1)-(-1,-1): \n2. K\xC3\x84SE (0,1)-(4,1): aus Milch \xC3\x9F\n3. "),
        std::string::npos)
        << text;
}

}  // namespace
