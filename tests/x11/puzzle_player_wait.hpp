#pragma once

#include "tests/x11/puzzle_player.hpp"
#include "tests/x11/xvfb_server.hpp"

namespace lettermoor::testing {

template <typename Predicate>
bool PuzzlePlayer::waitForFrame(Predicate predicate, Frame& frame) const {
    return waitFor([&] { return window_.capture(frame) && predicate(frame); }, waitMs_);
}

}  // namespace lettermoor::testing
