#include <csignal>

#include "game/game_state.hpp"
#include "gfx/input.hpp"

namespace {

extern "C" void askToClose(int) {
    gfx::requestClose();
}

// Interrupts and terminal hang-ups end the game through its normal loop exit,
// so the screen is still closed properly at process exit.
void routeSignalsToClose() {
#if defined(_WIN32)
    // The C runtime raises these for Ctrl+C and a termination request.
    for (int signalNumber : {SIGINT, SIGTERM}) std::signal(signalNumber, askToClose);
#else
    struct sigaction action {};
    action.sa_handler = askToClose;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) sigaction(signalNumber, &action, nullptr);
#endif
}

}  // namespace

int main() {
    routeSignalsToClose();
    game::Game game;
    game::startGame(game);
    while (game::runFrame(game)) {
    }
    game::endGame(game);
    return 0;
}
