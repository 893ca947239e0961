#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "word_test_support.hpp"

namespace {

// Runs the built tool from the test folder with files for stdin and stdout.
class WordsTool : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("lettermoor-words-tool-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    int run(const std::string& arguments, const std::string& input) {
        std::ofstream(dir_ / "in", std::ios::binary) << input;
        const std::string command = "../bin/lettermoor-words " + arguments + " < " +
                                    (dir_ / "in").string() + " > " + (dir_ / "out").string() +
                                    " 2> " + (dir_ / "err").string();
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string file(const char* name) const {
        std::ifstream in(dir_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path dir_;
};

TEST_F(WordsTool, EncodeThenDecodeCheckAndDealTheSameSeedTwice) {
    std::string plain = "c\np\n";
    for (char c = 'A'; c <= 'K'; ++c) plain += "WORT" + std::string(1, c) + "; x\n";
    ASSERT_EQ(run("encode", plain), 0);
    const std::string stored = file("out");
    EXPECT_EQ(run("decode", stored), 0);
    EXPECT_EQ(file("out"), plain);
    EXPECT_EQ(run("check", stored), 0);
    EXPECT_EQ(run("deal --seed 5", stored), 0);
    const std::string first = file("out");
    EXPECT_EQ(run("deal --seed 5", stored), 0);
    EXPECT_EQ(file("out"), first);
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 20 + 1 + 10);
}

// Files no editor would write get exit codes and a message, never a crash.
TEST_F(WordsTool, ExitStatusAndMessageForBadUseAndHostileFiles) {
    struct Case {
        std::string arguments, input;
        int status;
        const char* stream;
        std::string says;
    };
    std::vector<Case> cases = {
        {"encode", "c\np\nGOOD; ok\nBAD; \xE2\x82\xAC\n", 2, "err", "line 4, column 6"},
        {"--help", "", 0, "out", "Exit status"},
        {"--version", "", 0, "out", "lettermoor-words"},
        {"", "", 2, "err", "missing command"},
        {"shuffle", "", 2, "err", "unknown command 'shuffle'"},
        {"deal --seed banana", "", 2, "err", "--seed needs a number"},
    };
    for (const std::string& input :
         {std::string(), std::string(100000, '\n'), std::string(4096, '\0'),
          "c\np\n" + std::string(10 * 1024 * 1024, 'W')}) {
        cases.push_back({"check", input, 1, "out", "0 usable words: fewer than 10"});
        cases.push_back({"deal --seed 3", input, 1, "err", "has 0 usable words"});
        cases.push_back({"decode", input, 0, "err", ""});
    }
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.arguments, c.input), c.status)
            << c.arguments << " on " << c.input.size() << " bytes";
        // An empty `says` wants the stream empty.
        const std::string text = file(c.stream);
        EXPECT_TRUE(c.says.empty() ? text.empty() : text.find(c.says) != std::string::npos)
            << c.arguments << ": " << text;
        if (c.status == 2) {
            EXPECT_EQ(file("out"), "") << "errors write no output: " << c.arguments;
        }
    }
    const std::string junk = wordtest::randomBytes(256 * 1024, 5);
    for (const char* command : {"check", "deal --seed 3"}) {
        const int status = run(command, junk);
        EXPECT_TRUE(status == 0 || status == 1) << command << ": " << status;
    }
    EXPECT_EQ(run("decode", junk), 0);
}

}  // namespace
