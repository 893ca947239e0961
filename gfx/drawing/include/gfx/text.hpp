#pragma once
// Text in the screen's built-in font.

#include <cstdint>
#include <string_view>

#include "gfx/color.hpp"
#include "gfx/image.hpp"
#include "gfx/put_routine.hpp"

namespace gfx {

// Draws `text` with its top-left corner at (x, y). A text whose data() is
// nullptr counts as missing and gives BadCall; an empty text draws nothing.
LoadResult drawText(ImageBuffer* target, float x, float y, std::uint32_t flags,
                    std::string_view text, Color color, ImageBuffer* fontImage = nullptr,
                    std::int32_t blitMode = 0, PutRoutine blend = nullptr, std::int32_t alpha = 0,
                    void* param = nullptr);

}  // namespace gfx
