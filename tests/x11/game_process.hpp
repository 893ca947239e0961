#pragma once
// The real lettermoor binary as a child process of the test.

#include <memory>
#include <string>

#include "tests/x11/child_process.hpp"

namespace lettermoor::testing {

// Empty when this test binary was built without the game.
std::string gameBinary();

// The game started in runFolder on the display DISPLAY names.
std::unique_ptr<ChildProcess> startGameProcess(const std::string& runFolder);

}  // namespace lettermoor::testing
