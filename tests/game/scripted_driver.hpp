#pragma once
// The game tests' display back end: the recording one, with no window and a
// mouse whose reply each test sets before the frame that reads it.

#include "tests/gfx/recording_driver.hpp"

namespace testing_support {

using ScriptedDriver = gfxtest::Rec;
// A mouse over the window at (0, 0) with no button down, and an empty log.
void resetScriptedDriver();

}  // namespace testing_support
