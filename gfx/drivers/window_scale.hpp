#pragma once
// Showing each frame-buffer pixel as an n by n block on large screens: the
// choice of n and the row widening. Knows nothing of X11.

#include <cstdint>

namespace gfx {

inline constexpr std::int32_t MaxWindowScale = 3;

struct ScaleInputs {
    // LETTERMOOR_SCALE: "1", "2" or "3" decide; anything else is ignored.
    const char* requested = nullptr;
    // The desktop's Xft.dpi resource, 0 when it is not set.
    double dpi = 0;
    std::int32_t monitorWidth = 0;
    std::int32_t monitorHeight = 0;
    std::int32_t width = 0;  // the frame buffer's
    std::int32_t height = 0;
};

// The requested factor; else dpi / 96 rounded down; else the largest factor
// whose window covers at most about three quarters (four fifths) of the
// monitor each way. Always 1 to MaxWindowScale.
std::int32_t chooseWindowScale(const ScaleInputs& inputs);

// A window coordinate as a frame-buffer coordinate: the block it lies in.
// Rounds towards minus infinity, so a point left of the window stays outside.
inline std::int32_t frameCoordinate(std::int32_t window, std::int32_t scale) {
    return window >= 0 ? window / scale : -((-window + scale - 1) / scale);
}

// Repeats every pixel of a converted row `scale` times: `pixels` pixels of
// `pixelBytes` bytes each become pixels * scale pixels in `target`.
void widenRow(const std::uint8_t* source, std::uint8_t* target, std::int32_t pixels,
              std::int32_t pixelBytes, std::int32_t scale);

}  // namespace gfx
