#include "gfx/drivers/glx_config.hpp"

namespace gfx::glx {

ChannelBits channelBitsFor(std::int32_t depth) {
    return depth <= 16 ? ChannelBits{5, 6, 5} : ChannelBits{8, 8, 8};
}

int pickConfig(const std::vector<ConfigTraits>& candidates, std::int32_t depth, int rootDepth) {
    const ChannelBits wanted = channelBitsFor(depth);
    int best = -1;
    int bestScore = -1;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const ConfigTraits& c = candidates[i];
        if (c.redBits < wanted.red || c.greenBits < wanted.green || c.blueBits < wanted.blue) {
            continue;
        }
        const bool exact =
            c.redBits == wanted.red && c.greenBits == wanted.green && c.blueBits == wanted.blue;
        const int score = (exact ? 2 : 0) + (c.visualDepth == rootDepth ? 1 : 0);
        if (score > bestScore) {
            best = static_cast<int>(i);
            bestScore = score;
        }
    }
    return best;
}

}  // namespace gfx::glx
