#include "tests/x11/game_session.hpp"

#include <dlfcn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "gfx/input.hpp"

namespace lettermoor::testing {
namespace {

// Waits are generous: the sanitised game starts slowly on a busy machine.
constexpr int StartWaitMs = 20000;

// The test word list: title, hint prefix, then word and hint per line.
const char* const TestWords[][2] = {
    {"ZYPRESSE", "Baum im Sueden"},       {"PYRAMIDE", "Grab in Aegypten"},
    {"XYLOFON", "klingt aus Holz"},       {"ZAUBERER", "zieht Hasen aus dem Hut"},
    {"QUARZ", "Kristall in der Uhr"},     {"BAYERN", "Land im Sueden"},
    {"ZWIEBEL", "bringt zum Weinen"},     {"YACHT", "schwimmt mit Segeln"},
    {"HYAZINTHE", "duftet im Fruehling"}, {"ZITRONE", "sauer und gelb"},
    {"ZYZZYZ", "nie im Raetsel"}};

}  // namespace

void XServerTest::SetUp() {
    if (!XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed";
    XInitThreads();
    // Mesa's software driver, unloaded when the display closes, would look leaked.
    for (const char* path : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
                             "/usr/lib64/dri/swrast_dri.so", "/usr/lib/dri/swrast_dri.so"}) {
        if (dlopen(path, RTLD_NOW | RTLD_NODELETE) != nullptr) break;
    }
    server_ = std::make_unique<XvfbServer>(screenSize_);
    ASSERT_TRUE(server_->running()) << "Xvfb did not start";
    setenv("DISPLAY", server_->name().c_str(), 1);
    probe_.reset(XOpenDisplay(server_->name().c_str()));
    ASSERT_NE(probe(), nullptr);
}

void XServerTest::TearDown() {
    gfx::closeScreen();
    gfx::setDriverCandidates({});
    unsetenv("LETTERMOOR_DRIVER");
    probe_.reset();
    server_.reset();
}

void XServerTest::openWindow(std::int32_t width, std::int32_t height, std::int32_t flags) {
    ASSERT_EQ(gfx::openScreen(width, height, 32, 0, flags, 0), 0);
    ASSERT_TRUE(
        waitFor([&] { return (window_ = findWindowByClass(probe(), "lettermoor")) != None; }));
}

std::vector<std::string> XServerTest::readKeys(std::size_t count) {
    std::vector<std::string> keys;
    pollUntil([&] {
        for (std::string key = gfx::readKey(); !key.empty(); key = gfx::readKey()) {
            keys.push_back(key);
        }
        return keys.size() >= count;
    });
    return keys;
}

const std::vector<WordEntry>& testWords() {
    static const std::vector<WordEntry> words = [] {
        std::vector<WordEntry> drawn;
        for (std::size_t i = 0; i + 1 < std::size(TestWords); ++i) {
            drawn.push_back({TestWords[i][0], std::string("Hinweis: ") + TestWords[i][1]});
        }
        return drawn;
    }();
    return words;
}

void GameSession::SetUp() {
    if (gameBinary().empty() || access(gameBinary().c_str(), X_OK) != 0) {
        GTEST_SKIP() << "the game binary is not built";
    }
    XServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    tolerateXErrors();
    std::string wordFile = "Lettermoor test words\nHinweis:\n";
    for (const auto& entry : TestWords) wordFile += std::string(entry[0]) + "; " + entry[1] + "\n";
    ASSERT_TRUE(folder_.ready());
    ASSERT_TRUE(folder_.writeWords(wordFile));
    ASSERT_TRUE(folder_.writeWinPicture(WinColor, WinHoleStart, WinHoleEnd));
}

void GameSession::TearDown() {
    game_.reset();
    XServerTest::TearDown();
}

void GameSession::startGame() {
    game_ = startGameProcess(folder_.path());
    ASSERT_TRUE(game_->started());
    ASSERT_TRUE(waitFor([&] { return (window_ = findWindowByName(probe(), "Lettermoor")) != None; },
                        StartWaitMs))
        << "no window titled Lettermoor; stderr: " << game_->standardError();
    gameWindow_ = GameWindow(probe(), window_, windowScale_);
    if (!waitForFocus(probe(), window_)) gameWindow_.focus();
    ASSERT_TRUE(waitForFocus(probe(), window_));
    Frame frame;
    LetterRows rows;
    ASSERT_TRUE(player_.readGrid(frame, rows)) << "the grid never became readable";
}

::testing::AssertionResult exitedWith(const std::optional<int>& status, int code) {
    if (status && WIFEXITED(*status) && WEXITSTATUS(*status) == code) {
        return ::testing::AssertionSuccess();
    }
    if (!status) return ::testing::AssertionFailure() << "still running";
    if (WIFSIGNALED(*status)) {
        return ::testing::AssertionFailure() << "signal " << WTERMSIG(*status);
    }
    return ::testing::AssertionFailure() << "exit status " << WEXITSTATUS(*status);
}

}  // namespace lettermoor::testing
