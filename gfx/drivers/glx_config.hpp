#pragma once
// Choosing the framebuffer configuration of an OpenGL window for a screen
// depth. The choice is pure so it can be checked without a server.

#include <cstdint>
#include <vector>

namespace gfx::glx {

// What matters of one candidate configuration.
struct ConfigTraits {
    int redBits = 0;
    int greenBits = 0;
    int blueBits = 0;
    int visualDepth = 0;  // depth of the X visual the window would get
};

struct ChannelBits {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// 5-6-5 for a 16-bit screen, 8-8-8 otherwise.
ChannelBits channelBitsFor(std::int32_t depth);

// The candidate to use, or -1 when none has at least the channel bits of the
// depth. Exact channel bits beat larger ones; then a visual of the root
// window's depth beats others (no alpha blending by a compositor).
int pickConfig(const std::vector<ConfigTraits>& candidates, std::int32_t depth, int rootDepth);

}  // namespace gfx::glx
