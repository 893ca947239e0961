#include "tests/x11/game_process.hpp"

#include <cstdlib>
#include <vector>

namespace lettermoor::testing {

std::string gameBinary() {
#if defined(LETTERMOOR_BIN_DIR)
    return std::string(LETTERMOOR_BIN_DIR) + "/lettermoor";
#else
    return {};
#endif
}

std::unique_ptr<ChildProcess> startGameProcess(const std::string& runFolder) {
    std::vector<std::string> environment;
    // The window thread stays parked after losing its server; ThreadSanitizer
    // would otherwise wait a second at exit for it.
    if (std::getenv("TSAN_OPTIONS") == nullptr) {
        environment.push_back("TSAN_OPTIONS=atexit_sleep_ms=0");
    }
    // The block size follows the test's screen, whatever the caller's shell asks.
    environment.emplace_back("LETTERMOOR_SCALE=");
    return std::make_unique<ChildProcess>(gameBinary(), std::vector<std::string>{}, environment,
                                          runFolder);
}

}  // namespace lettermoor::testing
