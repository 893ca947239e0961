#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
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
}

// Files no editor would write get exit codes and a message, never a crash.
TEST_F(WordsTool, ExitStatusAndMessageForBadUseAndHostileFiles) {
    struct Case {
        std::string arguments, input;
        int status;
        std::string says;  // in stderr, or in stdout for a status of 0
    };
    std::vector<Case> cases = {
        {"encode", "c\np\nGOOD; ok\nBAD; \xE2\x82\xAC\n", 2, "line 4, column 6"},
        {"--help", "", 0, "Exit status"},
        {"", "", 2, "missing command"},
        {"shuffle", "", 2, "unknown command 'shuffle'"},
        {"deal --seed banana", "", 2, "--seed needs a number"},
    };
    for (const std::string& input : {std::string(100000, '\n'), std::string(4096, '\0'),
                                     "c\np\n" + std::string(std::size_t{10} * 1024 * 1024, 'W')}) {
        cases.push_back({"check", input, 1, ""});
        cases.push_back({"deal --seed 3", input, 1, "has 0 usable words"});
    }
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.arguments, c.input), c.status)
            << c.arguments << " on " << c.input.size() << " bytes";
        const std::string text = file(c.status == 0 ? "out" : "err");
        EXPECT_NE(text.find(c.says), std::string::npos) << c.arguments << ": " << text;
        if (c.status == 2) {
            EXPECT_EQ(file("out"), "") << "errors write no output: " << c.arguments;
        }
    }
}

// Output that never arrived is a failure, whichever program wrote it.
TEST_F(WordsTool, EveryProgramFailsWhenItsOutputCannotBeWritten) {
    for (const char* program : {"lettermoor-words --help", "lettermoor-image --help",
                                "lettermoor-make-win-picture --help", "lettermoor --version"}) {
        for (const char* redirection : {" >/dev/full 2>", " >&- 2>"}) {
            const std::string command =
                std::string("../bin/") + program + redirection + (dir_ / "err").string();
            const int status = std::system(command.c_str());
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << command;
            EXPECT_NE(file("err").find("cannot write standard output"), std::string::npos)
                << command;
        }
    }
}

}  // namespace
