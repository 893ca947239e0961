#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "game_fixture.hpp"
#include "gfx/input.hpp"
#include "word_test_support.hpp"

namespace {

enum class Outcome { Deals, Refuses, Either };

using Folder = std::filesystem::path;

void writeWordFile(const Folder& folder, const std::string& bytes) {
    std::ofstream(folder / "woerter.txt", std::ios::binary) << bytes;
}
#ifndef _WIN32
// Things that are no regular file where the game looks for its word list,
// as a link to what the bytes name; pipes are the X tests'
// (game_shutdown_test), on the real program.
void linkWordFile(const Folder& folder, const std::string& target) {
    std::filesystem::create_symlink(target, folder / "woerter.txt");
}

// The bytes are made only in the test that uses them: every test runs in a
// process of its own, and two files are ten megabytes.
#endif

struct HostileFile {
    const char* name;
    std::string (*bytes)();
    Outcome outcome;
    const char* refusal = "woerter.txt";  // what the one line of a refusal says
    void (*place)(const Folder&, const std::string&) = writeWordFile;
};

std::string elevenEntries(const std::string& firstHint) {
    auto words = testing_support::elevenWords();
    words[0].hint = firstHint;
    return testing_support::wordFileText(words);
}

std::string withNulBytes(std::string bytes) {
    for (std::size_t i = 3; i < bytes.size(); i += 7) bytes[i] = '\0';
    return bytes;
}

const std::size_t TenMegabytes = std::size_t{10} << 20;

class HostileWordFile : public testing_support::GameTest,
                        public ::testing::WithParamInterface<HostileFile> {};

TEST_P(HostileWordFile, GameRunsItsFramesAndEscEndsIt) {
    const HostileFile& file = GetParam();
    file.place(folder(), file.bytes());
    testing::internal::CaptureStderr();
    start();
    EXPECT_TRUE(frameReleased());
    clickCell({0, 0});
    clickCell({0, 5});
    click(800, 555);  // a new deal from the same list
    EXPECT_TRUE(frameReleased());
    gfx::postKey(27);
    EXPECT_FALSE(frameReleased());
    // A refusal is said once, on one line of stderr; a deal says nothing.
    const std::string errors = testing::internal::GetCapturedStderr();
    if (file.outcome == Outcome::Deals) {
        EXPECT_EQ(errors, "");
    } else if (file.outcome == Outcome::Refuses) {
        EXPECT_NE(errors.find(file.refusal), std::string::npos) << errors;
        EXPECT_EQ(errors.find('\n'), errors.size() - 1) << errors;
    }
    for (const auto& row : game().puzzle.grid) {
        for (const auto& cell : row) ASSERT_EQ(cell.letter.size(), 1u);
    }
}

// The ten-megabyte hint belongs to a dealt word, so it is drawn every frame;
// the ten-megabyte word is one nobody can draw.
const HostileFile HostileFiles[] = {
    HostileFile{"BinaryJunk",
                [] {
                    std::mt19937 random(77);
                    std::string bytes(std::size_t{64} << 10, '\0');
                    for (char& c : bytes) c = static_cast<char>(random());
                    return bytes;
                },
                Outcome::Either},
    HostileFile{"NulBytes", [] { return withNulBytes(elevenEntries("hint")); }, Outcome::Either},
    HostileFile{"TenMegabyteLine", [] { return elevenEntries(std::string(TenMegabytes, 'h')); },
                Outcome::Deals},
    HostileFile{"TenMegabyteWord",
                [] {
                    std::string word(TenMegabytes, 'W');
                    word += ";-x";  // appended, as GCC 12 warns wrongly about + on a temporary
                    return wordtest::scrambledFile({"c", "p", word});
                },
                Outcome::Refuses},
    HostileFile{"FourWords",
                [] {
                    return testing_support::wordFileText(
                        {{"EINS", "a"}, {"ZWEI", "b"}, {"DREI", "c"}, {"VIER", "d"}});
                },
                Outcome::Refuses, "woerter.txt has 3 usable words"},
    HostileFile{"OnlyLineFeeds", [] { return std::string(100000, '\n'); }, Outcome::Refuses},
#ifndef _WIN32
    HostileFile{"LinkToDevZero", [] { return std::string("/dev/zero"); }, Outcome::Refuses,
                "cannot read woerter.txt: not a regular file", linkWordFile},
    // Root reads past permission bits; a link loop still fails the open.
    HostileFile{"CannotOpen", [] { return std::string("woerter.txt"); }, Outcome::Refuses,
                "cannot read woerter.txt: Too many levels of symbolic links", linkWordFile},
#endif
    HostileFile{"NoUsableWord",
                [] {
                    return wordtest::scrambledFile({"c", "p", ";-no word", "",
                                                    std::string(26, 'A') + ";-too long",
                                                    "LAST;-never drawn"});
                },
                Outcome::Refuses},
};
INSTANTIATE_TEST_SUITE_P(Files, HostileWordFile, ::testing::ValuesIn(HostileFiles),
                         [](const ::testing::TestParamInfo<HostileFile>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
