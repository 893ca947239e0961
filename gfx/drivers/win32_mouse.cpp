#include "gfx/drivers/win32_mouse.hpp"

namespace gfx::win32 {

void takePosition(MouseState& mouse, std::uint32_t positionWord) {
    mouse.x = static_cast<std::int32_t>(positionWord & 0xFFFF);
    mouse.y = static_cast<std::int32_t>((positionWord >> 16) & 0xFFFF);
}

void pressButtons(MouseState& mouse, std::int32_t flags) {
    mouse.buttons |= flags;
    mouse.pressedSinceRead |= flags;
}

std::int32_t extraButtons(std::uint32_t keyStateWord) {
    std::int32_t flags = 0;
    if (keyStateWord & ExtraButton1Bit) flags |= ButtonExtra1;
    if (keyStateWord & ExtraButton2Bit) flags |= ButtonExtra2;
    return flags;
}

bool releaseButtons(MouseState& mouse, std::int32_t flags, std::uint32_t keyStateWord) {
    const std::int32_t extras = ButtonExtra1 | ButtonExtra2;
    if (flags & extras) {
        mouse.buttons = (mouse.buttons & ~extras) | extraButtons(keyStateWord);
    }
    mouse.buttons &= ~(flags & ~extras);
    return mouse.buttons == 0;
}

std::int32_t wheelStep(std::int32_t delta) {
    return delta > 0 ? 1 : -1;
}

void changeActivation(MouseState& mouse, bool active) {
    mouse.active = active;
    mouse.buttons = 0;
    mouse.pressedSinceRead = 0;
}

}  // namespace gfx::win32
