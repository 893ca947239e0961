#pragma once
// Single pixels stored the cheapest way a target allows: straight through
// its row table when it has the plain routines, through putPixel otherwise.

#include <cstdint>
#include <cstring>

#include "gfx/screen/draw_target.hpp"

namespace gfx {

// Writes single pixels through the target's own putPixel routine.
struct RoutinePixels {
    DrawTarget& context;
    Color color;
    void operator()(std::int32_t x, std::int32_t y) const {
        context.putPixel(context, x, y, color);
    }
};

// Stores pixels of a plain target straight through rowTable.
template <typename Pixel>
struct StoredPixels {
    std::uint8_t* const* rows;
    Pixel value;
    void operator()(std::int32_t x, std::int32_t y) const {
        std::memcpy(rows[static_cast<std::size_t>(y)] +
                        static_cast<std::ptrdiff_t>(x) * static_cast<std::ptrdiff_t>(sizeof(Pixel)),
                    &value, sizeof(Pixel));
    }
};

// Runs `draw` with the cheapest pixel writer the target allows.
template <typename Draw>
void withPixels(DrawTarget& context, Color color, Draw&& draw) {
    if (storesPlainly(context)) {
        std::uint8_t* const* rows = context.rowTable.data();
        switch (context.bytesPerPixel) {
            case 4:
                return draw(StoredPixels<std::uint32_t>{rows, color});
            case 2:
                return draw(StoredPixels<std::uint16_t>{rows, static_cast<std::uint16_t>(color)});
            case 1:
                return draw(StoredPixels<std::uint8_t>{rows, static_cast<std::uint8_t>(color)});
            default:
                break;
        }
    }
    draw(RoutinePixels{context, color});
}

// First byte of the pixel at x, y of the target.
inline std::uint8_t* pixelAddress(const DrawTarget& context, std::int32_t x, std::int32_t y) {
    return context.rowTable[static_cast<std::size_t>(y)] +
           static_cast<std::ptrdiff_t>(x) * context.bytesPerPixel;
}

}  // namespace gfx
