#pragma once
// From X key events to the PC keyboard the key codes are defined on: scan
// codes with the extended flag, and characters in code page 437. Pure: the
// caller supplies the keysyms it looked up.

#include <cstdint>
#include <string_view>
#include <vector>

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

// The modifier set (KeyModifier flags) of an X event's modifier mask.
std::int32_t keyModifiers(unsigned state);

// One key press as Xlib reported it.
struct PressedKey {
    ScanKey key;                 // from scanKeyFor
    std::int32_t own = 0;        // the key's unshifted character, code page 437
    std::uint32_t keysym = 0;    // looked up for the event; 0 (NoSymbol) for none
    unsigned state = 0;          // the event's modifier mask
    std::string_view typedUtf8;  // the text the lookup produced
    bool hasText = false;
};

// The key code the press translates to, 0 for none.
std::int32_t keyPressCode(const PressedKey& press);

// The codes the press hands the key ring, in order: its extended code, then
// the characters it typed. Presses with the left Alt key belong to the window
// system and hand over nothing.
std::vector<std::int32_t> keyPressPosts(const PressedKey& press);

}  // namespace gfx::x11
