#include "tests/x11/game_session.hpp"

#include <dlfcn.h>
#include <stdlib.h>

namespace lettermoor::testing {

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
    gfx::setWindowTitle("Lettermoor");
    ASSERT_EQ(gfx::openScreen(width, height, 32, 0, flags, 0), 0);
    window_ = waitForWindow(probe(), "Lettermoor");
    ASSERT_NE(window_, None);
}

void GameSession::SetUp() {
    XServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    tolerateXErrors();
    std::vector<std::string> entries;
    for (const std::string& word : TestWords) entries.push_back(word + "; Hinweis " + word);
    entries.push_back("ZYZZYZ; nie im Raetsel");
    ASSERT_TRUE(folder_.ready());
    ASSERT_TRUE(writeWordFile(folder_.path(), "Hinweis:", entries));
    ASSERT_TRUE(writeWinPicture(folder_.path(), WinColor, WinHoleStart, WinHoleEnd));
}

void GameSession::TearDown() {
    game_.reset();
    XServerTest::TearDown();
}

void GameSession::startGame() {
    // The window thread stays parked after losing its server; ThreadSanitizer
    // would otherwise wait a second at exit for it.
    setenv("TSAN_OPTIONS", "atexit_sleep_ms=0", 0);
    // The block size follows the test's screen, whatever the caller's shell asks.
    setenv("LETTERMOOR_SCALE", "", 1);
    game_ = std::make_unique<ChildProcess>(GameBinary, std::vector<std::string>{}, folder_.path());
    ASSERT_TRUE(game_->started());
    window_ = waitForWindow(probe(), "Lettermoor", StartWaitMs);
    ASSERT_NE(window_, None) << "no window titled Lettermoor; stderr: " << game_->standardError();
    gameWindow_ = GameWindow(probe(), window_);
    if (!waitForFocus(probe(), window_)) gameWindow_.focus();
    ASSERT_TRUE(waitForFocus(probe(), window_));
    ASSERT_TRUE(player_.readGrid(frame_, rows_)) << "the grid never became readable";
}

}  // namespace lettermoor::testing
