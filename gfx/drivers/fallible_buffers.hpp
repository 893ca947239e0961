#pragma once
// Buffers a back end sizes when it opens or first presents. That code runs
// on the window thread or inside openScreen, where an exception would end
// the program; a size that cannot be had gives false instead, and the back
// end refuses the screen or skips the pass.

#include <cstddef>
#include <new>
#include <stdexcept>
#include <vector>

namespace gfx {

template <typename T>
bool assignOrFail(std::vector<T>& buffer, std::size_t count, const T& value) {
    try {
        buffer.assign(count, value);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

template <typename T>
bool reserveOrFail(std::vector<T>& buffer, std::size_t count) {
    try {
        buffer.reserve(count);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

}  // namespace gfx
