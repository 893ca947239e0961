#pragma once
// From a browser key event to the PC keyboard the key codes are defined on.
// Pure: the back end hands over the event's `code` and `key` texts.

#include <cstdint>
#include <string_view>
#include <vector>

namespace gfx::canvas {

struct BrowserKey {
    std::string_view code;  // the physical key, "KeyA", "ArrowUp", "Escape"
    std::string_view key;   // the typed character as UTF-8, or a name such as "Enter"
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool meta = false;
};

// The codes the press hands the key ring, in order: its extended code, then
// the character it typed. Presses that belong to the browser hand over nothing.
std::vector<std::int32_t> keyDownPosts(const BrowserKey& press);

}  // namespace gfx::canvas
