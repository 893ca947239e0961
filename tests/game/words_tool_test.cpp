#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

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
        const auto in = dir_ / "in";
        std::ofstream(in, std::ios::binary) << input;
        const std::string command = "../bin/lettermoor-words " + arguments + " < " + in.string() +
                                    " > " + (dir_ / "out").string() + " 2> " +
                                    (dir_ / "err").string();
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string file(const char* name) const {
        std::ifstream in(dir_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dir_;
};

TEST_F(WordsTool, EncodeErrorWritesNothingAndExitsWithTwo) {
    EXPECT_EQ(run("encode", "c\np\nGOOD; ok\nBAD; \xE2\x82\xAC\n"), 2);
    EXPECT_EQ(file("out"), "");
    EXPECT_NE(file("err").find("line 4, column 6"), std::string::npos) << file("err");
}

TEST_F(WordsTool, EncodeThenCheckAndDeal) {
    std::string plain = "c\np\n";
    for (int i = 0; i < 11; ++i)
        plain += "WORT" + std::string(1, static_cast<char>('A' + i)) + "; x\n";
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

    EXPECT_EQ(run("check", ""), 1);
    EXPECT_EQ(run("deal --seed 1", ""), 1);
    EXPECT_NE(file("err").find("has 0 usable words"), std::string::npos);
}

TEST_F(WordsTool, UsageAndVersion) {
    EXPECT_EQ(run("--help", ""), 0);
    EXPECT_NE(file("out").find("Exit status"), std::string::npos);
    EXPECT_EQ(run("--version", ""), 0);
    EXPECT_NE(file("out").find("lettermoor-words"), std::string::npos);
    EXPECT_EQ(run("", ""), 2);
    EXPECT_EQ(run("shuffle", ""), 2);
    EXPECT_EQ(run("deal --seed banana", ""), 2);
}

// Files no editor would write: the tool answers with its exit codes and a
// message, never a crash.
TEST_F(WordsTool, HostileFilesGetTheNoPuzzleAnswer) {
    const std::vector<std::pair<const char*, std::string>> unusable = {
        {"only line feeds", std::string(100000, '\n')},
        {"only NUL bytes", std::string(4096, '\0')},
        {"one 10 MB line", "c\np\n" + std::string(10 * 1024 * 1024, 'W')},
    };
    for (const auto& [name, input] : unusable) {
        EXPECT_EQ(run("check", input), 1) << name;
        EXPECT_EQ(run("deal --seed 3", input), 1) << name;
        EXPECT_NE(file("err").find("has 0 usable words"), std::string::npos) << name;
        EXPECT_EQ(run("decode", input), 0) << name;
    }
    std::mt19937 random(5);
    std::string junk(256 * 1024, '\0');
    for (char& c : junk) c = static_cast<char>(random());
    const int checked = run("check", junk);
    EXPECT_TRUE(checked == 0 || checked == 1) << checked;
    const int dealt = run("deal --seed 3", junk);
    EXPECT_TRUE(dealt == 0 || dealt == 1) << dealt;
    EXPECT_EQ(run("decode", junk), 0);
}

}  // namespace
