#include "tests/x11/game_session.hpp"

#include <sys/wait.h>
#include <unistd.h>

namespace lettermoor::testing {
namespace {

// Waits are generous: the sanitised game starts slowly on a busy machine.
constexpr int StartWaitMs = 20000;

const char* const TestWordFile =
    "Lettermoor test words\n"
    "Hinweis:\n"
    "ZYPRESSE; Baum im Sueden\n"
    "PYRAMIDE; Grab in Aegypten\n"
    "XYLOFON; klingt aus Holz\n"
    "ZAUBERER; zieht Hasen aus dem Hut\n"
    "QUARZ; Kristall in der Uhr\n"
    "BAYERN; Land im Sueden\n"
    "ZWIEBEL; bringt zum Weinen\n"
    "YACHT; schwimmt mit Segeln\n"
    "HYAZINTHE; duftet im Fruehling\n"
    "ZITRONE; sauer und gelb\n"
    "ZYZZYZ; nie im Raetsel\n";

}  // namespace

const std::vector<WordEntry>& testWords() {
    static const std::vector<WordEntry> words = {
        {"ZYPRESSE", "Hinweis: Baum im Sueden"},
        {"PYRAMIDE", "Hinweis: Grab in Aegypten"},
        {"XYLOFON", "Hinweis: klingt aus Holz"},
        {"ZAUBERER", "Hinweis: zieht Hasen aus dem Hut"},
        {"QUARZ", "Hinweis: Kristall in der Uhr"},
        {"BAYERN", "Hinweis: Land im Sueden"},
        {"ZWIEBEL", "Hinweis: bringt zum Weinen"},
        {"YACHT", "Hinweis: schwimmt mit Segeln"},
        {"HYAZINTHE", "Hinweis: duftet im Fruehling"},
        {"ZITRONE", "Hinweis: sauer und gelb"},
    };
    return words;
}

void GameSession::SetUp() {
    if (!XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed";
    if (gameBinary().empty() || access(gameBinary().c_str(), X_OK) != 0) {
        GTEST_SKIP() << "the game binary is not built";
    }
    XInitThreads();
    tolerateXErrors();
    server_ = std::make_unique<XvfbServer>();
    ASSERT_TRUE(server_->running()) << "Xvfb did not start";
    probe_ = std::make_unique<TestDisplay>(server_->name());
    ASSERT_NE(probe_->get(), nullptr);
    ASSERT_TRUE(folder_.ready());
    ASSERT_TRUE(folder_.writeWords(TestWordFile));
    ASSERT_TRUE(folder_.writeWinPicture(WinColor, WinHoleStart, WinHoleEnd));
}

void GameSession::TearDown() {
    player_.reset();
    window_.reset();
    game_.reset();
    probe_.reset();
    server_.reset();
}

void GameSession::startGame() {
    player_.reset();
    window_.reset();
    game_ = std::make_unique<GameProcess>(gameBinary(), folder_.path(), server_->name());
    ASSERT_TRUE(game_->started());
    Window id = None;
    ASSERT_TRUE(waitFor([&] { return (id = findWindowByName(probe(), "Lettermoor")) != None; },
                        StartWaitMs))
        << "no window titled Lettermoor; stderr: " << game_->standardError();
    window_ = std::make_unique<GameWindow>(probe(), id);
    player_ = std::make_unique<PuzzlePlayer>(*window_);
    if (!waitFor([&] { return window_->hasFocus(); }, 2000)) window_->focus();
    ASSERT_TRUE(waitFor([&] { return window_->hasFocus(); }));
    Frame frame;
    LetterRows rows;
    ASSERT_TRUE(player_->readGrid(frame, rows)) << "the grid never became readable";
}

::testing::AssertionResult exitedWith(const std::optional<int>& status, int code) {
    if (!status) return ::testing::AssertionFailure() << "still running";
    if (WIFSIGNALED(*status)) {
        return ::testing::AssertionFailure() << "killed by signal " << WTERMSIG(*status)
                                             << (WCOREDUMP(*status) ? " (core dumped)" : "");
    }
    if (!WIFEXITED(*status) || WEXITSTATUS(*status) != code) {
        return ::testing::AssertionFailure() << "exit status " << WEXITSTATUS(*status);
    }
    return ::testing::AssertionSuccess();
}

}  // namespace lettermoor::testing
