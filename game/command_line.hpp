#pragma once
// The game's command line: it plays without arguments and answers only
// --help and --version.

#include <optional>

namespace game {

// Nothing when the game should start; otherwise the exit status after
// printing the version, the usage, or the usage on standard error for an
// argument the game does not take.
std::optional<int> answerCommandLine(int argc, const char* const* argv);

}  // namespace game
