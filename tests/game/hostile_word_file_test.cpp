#include <fstream>
#include <ostream>
#include <random>
#include <string>

#include "game_fixture.hpp"
#include "gfx/input.hpp"
#include "word_test_support.hpp"

namespace {

using testing_support::GameTest;

enum class Outcome { Deals, Refuses, Either };

struct HostileFile {
    const char* name;
    std::string (*bytes)();
    Outcome outcome;
};

// gtest would otherwise print the record's bytes, padding included.
void PrintTo(const HostileFile& file, std::ostream* out) {
    *out << file.name;
}

std::string elevenEntries(const std::string& firstHint) {
    std::vector<std::string> lines{"comment", "Tipp:"};
    const auto words = testing_support::elevenWords();
    for (std::size_t i = 0; i < words.size(); ++i) {
        lines.push_back(words[i].word + ";-" + (i == 0 ? firstHint : words[i].hint));
    }
    return wordtest::scrambledFile(lines);
}

std::string binaryJunk() {
    std::mt19937 random(77);
    std::string bytes(64 * 1024, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

std::string nulBytes() {
    std::string bytes = elevenEntries("hint");
    for (std::size_t i = 3; i < bytes.size(); i += 7) bytes[i] = '\0';
    return bytes;
}

// A 10 MB hint of a word that is dealt, so it is drawn every frame.
std::string tenMegabyteLine() {
    return elevenEntries(std::string(10 * 1024 * 1024, 'h'));
}

// The same length as one word nobody can draw.
std::string tenMegabyteWord() {
    return wordtest::scrambledFile({"c", "p", std::string(10 * 1024 * 1024, 'W') + ";-x"});
}

std::string onlyLineFeeds() {
    return std::string(100000, '\n');
}

std::string noUsableWord() {
    return wordtest::scrambledFile(
        {"c", "p", ";-no word", "", "ABCDEFGHIJKLMNOPQRSTUVWXYZ;-too long", "LAST;-never drawn"});
}

class HostileWordFile : public GameTest, public ::testing::WithParamInterface<HostileFile> {};

TEST_P(HostileWordFile, GameRunsItsFramesAndEscEndsIt) {
    const HostileFile& file = GetParam();
    std::ofstream(folder() / "woerter.txt", std::ios::binary) << file.bytes();
    testing::internal::CaptureStderr();
    start();
    const std::string errors = testing::internal::GetCapturedStderr();
    // A refusal is said once, on stderr; a deal says nothing.
    if (file.outcome == Outcome::Deals) {
        EXPECT_EQ(errors, "");
    } else if (file.outcome == Outcome::Refuses) {
        EXPECT_NE(errors.find("woerter.txt"), std::string::npos);
    }

    EXPECT_TRUE(frameReleased());
    clickCell({0, 0});
    clickCell({0, 5});
    click(800, 555);  // a new deal from the same list
    EXPECT_TRUE(frameReleased());
    gfx::postKey(27);
    EXPECT_FALSE(frameReleased());

    for (const auto& row : game().puzzle.grid)
        for (const auto& cell : row) ASSERT_EQ(cell.letter.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileWordFile,
    ::testing::Values(HostileFile{"BinaryJunk", binaryJunk, Outcome::Either},
                      HostileFile{"NulBytes", nulBytes, Outcome::Either},
                      HostileFile{"TenMegabyteLine", tenMegabyteLine, Outcome::Deals},
                      HostileFile{"TenMegabyteWord", tenMegabyteWord, Outcome::Refuses},
                      HostileFile{"OnlyLineFeeds", onlyLineFeeds, Outcome::Refuses},
                      HostileFile{"NoUsableWord", noUsableWord, Outcome::Refuses}),
    [](const ::testing::TestParamInfo<HostileFile>& info) { return std::string(info.param.name); });

}  // namespace
