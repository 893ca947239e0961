#pragma once
// Turns a physical key (PC set-1 scan code) plus the modifier keys into a key
// code of the PC BIOS convention. Pure and platform-neutral: every window back
// end feeds it from its own layout service.

#include <cstdint>

namespace gfx {

// Modifier set: a sum of these flags.
enum KeyModifier : std::int32_t {
    ModRightAlt = 1,
    ModAlt = 2,  // left or generic Alt
    ModRightCtrl = 4,
    ModCtrl = 8,  // left or generic Ctrl
    ModShift = 16,
};

// The column of the tables a modifier set selects: Alt > Ctrl > Shift > normal.
enum KeyColumn : std::int32_t { ColumnNormal = 0, ColumnShift = 1, ColumnCtrl = 2, ColumnAlt = 3 };
KeyColumn keyColumn(std::int32_t modifiers);

struct KeyStroke {
    std::int32_t scanCode = 0;
    bool extended = false;
    std::int32_t modifiers = 0;
    // The code page 437 character the key produces in the current keyboard
    // state, 0 for none (or a dead key).
    std::int32_t produced = 0;
    // The key's own, unshifted character in code page 437, 0 for none.
    std::int32_t own = 0;
};

// 0 for no code, 1-255 a character, else (c << 8) | 0xFF.
std::int32_t translateKey(const KeyStroke& stroke);

// Raw table entries, for back ends that need to know whether a key has a
// code of its own (0 when the scan code has no row).
std::uint16_t mainTableEntry(std::int32_t scanCode, KeyColumn column);
std::uint16_t extendedTableEntry(std::int32_t scanCode, KeyColumn column);

inline constexpr std::int32_t MainTableRows = 89;

}  // namespace gfx
