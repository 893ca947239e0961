#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/command_line.hpp"
#include "game/game_state.hpp"
#include "game/window_icon.hpp"
#include "gfx/display_loss.hpp"
#include "gfx/input.hpp"
#include "runtime/standard_streams.hpp"
#include "runtime/stop_request.hpp"

namespace {

extern "C" void askToClose(int) {
    runtime::requestStop();
    gfx::requestClose();
}

// Interrupts and terminal hang-ups end the game through its normal loop exit,
// so the screen is still closed properly at process exit. The handler does
// not restart the call it interrupts, so no read or wait outlasts the request.
void routeSignalsToClose() {
#if defined(_WIN32)
    // The C runtime raises these for Ctrl+C and a termination request.
    for (int signalNumber : {SIGINT, SIGTERM}) std::signal(signalNumber, askToClose);
#else
    struct sigaction action {};
    action.sa_handler = askToClose;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) sigaction(signalNumber, &action, nullptr);
    // A display server that goes away must not kill the game in the middle of
    // a write; the back end notices the broken connection and reports it.
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

// Without a window nobody could see or end the game.
int reportNoDisplay() {
    const char* display = std::getenv("DISPLAY");
    const char* driver = std::getenv("LETTERMOOR_DRIVER");
    std::fprintf(stderr,
                 "lettermoor: no window could be opened (DISPLAY=%s, LETTERMOOR_DRIVER=%s): "
                 "start it on a desktop, or set LETTERMOOR_DRIVER=null to play without one\n",
                 display != nullptr ? display : "unset", driver != nullptr ? driver : "unset");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    runtime::guardStandardStreams("lettermoor", 1);
    if (const auto answered = game::answerCommandLine(argc, argv)) return *answered;
    routeSignalsToClose();
    game::offerWindowIcon();
    game::Game game;
    if (!game::startGame(game)) return runtime::stopRequested() ? 0 : reportNoDisplay();
    while (game::runFrame(game)) {
    }
    game::endGame(game);
    if (gfx::displayLost()) {
        const std::string line = "lettermoor: " + gfx::displayLossReason() + "\n";
        std::fputs(line.c_str(), stderr);
        return 1;
    }
    return 0;
}
