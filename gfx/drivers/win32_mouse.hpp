#pragma once
// The mouse state the Win32 window procedure keeps, and its rules. Plain
// data and arithmetic, so they are tested on every platform.

#include <cstdint>

#include "gfx/drivers/window_common.hpp"

namespace gfx::win32 {

enum MouseButton : std::int32_t {
    ButtonLeft = 1,
    ButtonRight = 2,
    ButtonMiddle = 4,
    ButtonExtra1 = 8,
    ButtonExtra2 = 16,
};

// The extra buttons' bits in a mouse message's key-state word.
inline constexpr std::uint32_t ExtraButton1Bit = 0x20;
inline constexpr std::uint32_t ExtraButton2Bit = 0x40;

// A message's position word: x and y are its unsigned 16-bit halves.
void takePosition(MouseState& mouse, std::uint32_t positionWord);

// A button press; the window captures the mouse on every press.
void pressButtons(MouseState& mouse, std::int32_t flags);

// The extra-button flags a key-state word names.
std::int32_t extraButtons(std::uint32_t keyStateWord);

// A release of the given flags; extra buttons still named by keyStateWord
// stay down. True when no button remains, so the capture ends.
bool releaseButtons(MouseState& mouse, std::int32_t flags, std::uint32_t keyStateWord);

// One step per wheel message, whatever the delta's size.
std::int32_t wheelStep(std::int32_t delta);

// Focus gained or lost: nothing stays pressed.
void changeActivation(MouseState& mouse, bool active);

}  // namespace gfx::win32
