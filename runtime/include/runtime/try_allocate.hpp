#pragma once
// Allocations a caller survives: runs `allocate` and gives false when the
// memory cannot be had (or a container is asked for more than it can hold),
// so no exception leaves the runtime. Containers keep their state when a
// resize, reserve or assign fails, so the caller may go on with what it had.

#include <new>
#include <stdexcept>

namespace runtime {

template <typename Allocate>
bool tryAllocate(Allocate&& allocate) {
    try {
        allocate();
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

}  // namespace runtime
