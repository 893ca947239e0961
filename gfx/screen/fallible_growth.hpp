#pragma once
// Allocations the runtime survives. A drawing call or openScreen that cannot
// have its memory reports NoMemory; no exception leaves the runtime.

#include "runtime/try_allocate.hpp"

namespace gfx {

// True, using one up, while the test hook failNextAllocations has failures
// left to give; allocateAligned asks it too.
bool allocationRefused();

// Runs `grow`, which allocates, and gives false when that fails or the test
// hook refuses it.
template <typename Grow>
bool tryGrow(Grow&& grow) {
    return !allocationRefused() && runtime::tryAllocate(grow);
}

}  // namespace gfx
