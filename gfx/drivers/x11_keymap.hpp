#pragma once
// From X key events to the PC keyboard the key codes are defined on: scan
// codes with the extended flag, and characters in code page 437. Pure: the
// caller supplies the keysyms it looked up.

#include <cstdint>

namespace gfx::x11 {

struct ScanKey {
    std::int32_t scanCode = 0;  // PC set-1, 0 when the key has none
    bool extended = false;
};

// The physical key behind an X keycode. baseKeysym is the keysym of the
// keycode's first level; it identifies the keys of the enhanced block, which
// share scan codes with the keypad. Other keys of an evdev keyboard have
// keycode - 8 as their scan code.
ScanKey scanKeyFor(std::uint32_t keycode, std::uint32_t baseKeysym);

// The Unicode character a keysym stands for, 0 for none. Control keys that
// type a character (Return, Esc, BackSpace, Tab, keypad keys) count.
char32_t keysymCharacter(std::uint32_t keysym);

// keysymCharacter in code page 437, 0 when it has none or code page 437
// cannot hold it.
std::int32_t keysymCp437(std::uint32_t keysym);

// Code page 437 byte for a typed character, 0 for none.
std::int32_t typedCp437(char32_t ch);

}  // namespace gfx::x11
