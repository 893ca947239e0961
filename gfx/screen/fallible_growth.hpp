#pragma once
// Allocations the runtime survives. A drawing call or openScreen that cannot
// have its memory reports NoMemory; no exception leaves the runtime.

#include <new>
#include <stdexcept>

namespace gfx {

// True, using one up, while the test hook failNextAllocations has failures
// left to give; allocateAligned asks it too.
bool allocationRefused();

// Runs `grow`, which allocates, and gives false when that fails or the test
// hook refuses it. Containers keep their state when a resize or an assign
// cannot allocate, so the caller may go on with what it had.
template <typename Grow>
bool tryGrow(Grow&& grow) {
    if (allocationRefused()) return false;
    try {
        grow();
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

}  // namespace gfx
