#pragma once
// The Win32 keyboard as the key codes see it: the scan-code table behind
// Screen::keyState, the modifier set and the parts of a key message. Plain
// tables and arithmetic over the system's keyboard-state bytes, so they are
// tested on every platform.

#include <array>
#include <cstdint>

namespace gfx::win32 {

// The 256-byte keyboard state by virtual key; a key is down when its byte
// has the top bit.
using KeyboardState = std::array<std::uint8_t, 256>;
using ScanCodeState = std::array<std::uint8_t, 128>;

// The one or two virtual keys that sit on a PC scan code (0 for none).
struct ScanCodeKeys {
    std::uint8_t first = 0;
    std::uint8_t second = 0;
};
ScanCodeKeys virtualKeysOf(std::int32_t scanCode);

// keyState from the system keyboard state: scan code s is down when either
// of its virtual keys is.
void keyStateFromKeyboard(const KeyboardState& keyboard, ScanCodeState& keyState);

// keyState from a DirectInput keyboard: scan code s is down when byte s or
// byte s + 128 (the extended key on the same scan code) has the top bit.
void keyStateFromDirectInput(const KeyboardState& device, ScanCodeState& keyState);

// The modifier set of gfx/key_translation from the keyboard state.
std::int32_t keyModifiers(const KeyboardState& keyboard);

// The parts of a key message's key word.
struct KeyWord {
    std::int32_t repeatCount = 0;
    std::int32_t scanCode = 0;
    bool extended = false;
    bool altDown = false;
};
KeyWord decodeKeyWord(std::uint32_t keyWord);

}  // namespace gfx::win32
