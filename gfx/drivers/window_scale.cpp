#include "gfx/drivers/window_scale.hpp"

#include <algorithm>
#include <cstring>

namespace gfx {

std::int32_t chooseWindowScale(const ScaleInputs& inputs) {
    if (inputs.requested != nullptr && inputs.requested[0] >= '1' &&
        inputs.requested[0] <= '0' + MaxWindowScale && inputs.requested[1] == '\0') {
        return inputs.requested[0] - '0';
    }
    if (inputs.dpi > 0) {
        const double scale = std::clamp(inputs.dpi / 96.0, 1.0, double{MaxWindowScale});
        return static_cast<std::int32_t>(scale);
    }
    if (inputs.width <= 0 || inputs.height <= 0) return 1;
    std::int32_t scale = MaxWindowScale;
    // A 2000 by 1200 window on a 2560 by 1600 monitor (78 and 75 percent)
    // still counts as about three quarters.
    while (scale > 1 &&
           (std::int64_t{inputs.width} * scale * 5 > std::int64_t{inputs.monitorWidth} * 4 ||
            std::int64_t{inputs.height} * scale * 5 > std::int64_t{inputs.monitorHeight} * 4)) {
        --scale;
    }
    return scale;
}

void widenRow(const std::uint8_t* source, std::uint8_t* target, std::int32_t pixels,
              std::int32_t pixelBytes, std::int32_t scale) {
    if (pixelBytes == 4) {
        // The usual 32-bit visual: fixed-size copies the compiler turns into moves.
        for (std::int32_t x = 0; x < pixels; ++x, source += 4) {
            std::uint32_t pixel = 0;
            std::memcpy(&pixel, source, 4);
            for (std::int32_t copy = 0; copy < scale; ++copy, target += 4) {
                std::memcpy(target, &pixel, 4);
            }
        }
        return;
    }
    const auto bytes = static_cast<std::size_t>(pixelBytes);
    for (std::int32_t x = 0; x < pixels; ++x) {
        for (std::int32_t copy = 0; copy < scale; ++copy) {
            std::memcpy(target, source, bytes);
            target += bytes;
        }
        source += bytes;
    }
}

}  // namespace gfx
