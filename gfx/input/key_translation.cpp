#include "gfx/key_translation.hpp"

#include <array>
#include <utility>

namespace gfx {
namespace {

using Row = std::array<std::uint16_t, 4>;  // normal, Shift, Ctrl, Alt

constexpr std::uint16_t ctl(char c) {
    return static_cast<std::uint16_t>(c & 0x1F);
}
constexpr std::uint16_t up(char c) {
    return static_cast<std::uint16_t>(c - 'a' + 'A');
}
constexpr Row letter(char c, std::uint16_t scan) {
    return {static_cast<std::uint16_t>(c), up(c), ctl(c), static_cast<std::uint16_t>(scan << 8)};
}
constexpr Row sign(char normal, char shifted, std::uint16_t ctrl, std::uint16_t alt) {
    return {static_cast<std::uint16_t>(normal), static_cast<std::uint16_t>(shifted), ctrl, alt};
}
constexpr Row functionKey(std::uint16_t index) {
    return {static_cast<std::uint16_t>((0x3B + index) << 8),
            static_cast<std::uint16_t>((0x54 + index) << 8),
            static_cast<std::uint16_t>((0x5E + index) << 8),
            static_cast<std::uint16_t>((0x68 + index) << 8)};
}
constexpr Row keypad(std::uint16_t scan, char digit, std::uint16_t ctrl, std::uint16_t alt = 0) {
    return {static_cast<std::uint16_t>(scan << 8), static_cast<std::uint16_t>(digit), ctrl, alt};
}
constexpr Row none{0, 0, 0, 0};

// PC BIOS codes by scan code: the character where the key has one, else the
// scan code in the high byte.
constexpr std::array<Row, MainTableRows> mainTable = {{
    none,                               // 0x00
    {27, 27, 27, 0x0100},               // 0x01 Esc
    sign('1', '!', 0, 0x7800),          // 0x02
    sign('2', '@', 0x0300, 0x7900),     // 0x03
    sign('3', '#', 0, 0x7A00),          // 0x04
    sign('4', '$', 0, 0x7B00),          // 0x05
    sign('5', '%', 0, 0x7C00),          // 0x06
    sign('6', '^', 30, 0x7D00),         // 0x07
    sign('7', '&', 0, 0x7E00),          // 0x08
    sign('8', '*', 0, 0x7F00),          // 0x09
    sign('9', '(', 0, 0x8000),          // 0x0A
    sign('0', ')', 0, 0x8100),          // 0x0B
    sign('-', '_', 31, 0x8200),         // 0x0C
    sign('=', '+', 0, 0x8300),          // 0x0D
    {8, 8, 127, 0xE000},                // 0x0E Backspace
    {9, 0x0F00, 0x9400, 0x0F00},        // 0x0F Tab
    letter('q', 0x10),                  // 0x10
    letter('w', 0x11),                  // 0x11
    letter('e', 0x12),                  // 0x12
    letter('r', 0x13),                  // 0x13
    letter('t', 0x14),                  // 0x14
    letter('y', 0x15),                  // 0x15
    letter('u', 0x16),                  // 0x16
    letter('i', 0x17),                  // 0x17
    letter('o', 0x18),                  // 0x18
    letter('p', 0x19),                  // 0x19
    sign('[', '{', 27, 0x1A00),         // 0x1A
    sign(']', '}', 29, 0x1B00),         // 0x1B
    {13, 13, 10, 0x1C00},               // 0x1C Enter
    none,                               // 0x1D Ctrl
    letter('a', 0x1E),                  // 0x1E
    letter('s', 0x1F),                  // 0x1F
    letter('d', 0x20),                  // 0x20
    letter('f', 0x21),                  // 0x21
    letter('g', 0x22),                  // 0x22
    letter('h', 0x23),                  // 0x23
    letter('j', 0x24),                  // 0x24
    letter('k', 0x25),                  // 0x25
    letter('l', 0x26),                  // 0x26
    sign(';', ':', 0, 0x2700),          // 0x27
    sign('\'', '"', 0, 0x2800),         // 0x28
    sign('`', '~', 0, 0x2900),          // 0x29
    none,                               // 0x2A left Shift
    sign('\\', '|', 28, 0),             // 0x2B
    letter('z', 0x2C),                  // 0x2C
    letter('x', 0x2D),                  // 0x2D
    letter('c', 0x2E),                  // 0x2E
    letter('v', 0x2F),                  // 0x2F
    letter('b', 0x30),                  // 0x30
    letter('n', 0x31),                  // 0x31
    letter('m', 0x32),                  // 0x32
    sign(',', '<', 0, 0x3300),          // 0x33
    sign('.', '>', 0, 0x3400),          // 0x34
    sign('/', '?', 0, 0x3500),          // 0x35
    none,                               // 0x36 right Shift
    sign('*', '*', 0, 0),               // 0x37 keypad *
    none,                               // 0x38 Alt
    sign(' ', ' ', ' ', ' '),           // 0x39 Space
    none,                               // 0x3A Caps Lock
    functionKey(0),                     // 0x3B F1
    functionKey(1),                     // 0x3C F2
    functionKey(2),                     // 0x3D F3
    functionKey(3),                     // 0x3E F4
    functionKey(4),                     // 0x3F F5
    functionKey(5),                     // 0x40 F6
    functionKey(6),                     // 0x41 F7
    functionKey(7),                     // 0x42 F8
    functionKey(8),                     // 0x43 F9
    functionKey(9),                     // 0x44 F10
    none,                               // 0x45 Num Lock
    none,                               // 0x46 Scroll Lock
    keypad(0x47, '7', 0x7700),          // 0x47 keypad 7 / Home
    keypad(0x48, '8', 0x8D00),          // 0x48 keypad 8 / Up
    keypad(0x49, '9', 0x8400),          // 0x49 keypad 9 / Page Up
    sign('-', '-', 0, 0),               // 0x4A keypad -
    keypad(0x4B, '4', 0x7300),          // 0x4B keypad 4 / Left
    keypad(0x4C, '5', 0x8F00, 0x4C00),  // 0x4C keypad 5
    keypad(0x4D, '6', 0x7400),          // 0x4D keypad 6 / Right
    sign('+', '+', 0, 0),               // 0x4E keypad +
    keypad(0x4F, '1', 0x7500),          // 0x4F keypad 1 / End
    keypad(0x50, '2', 0x9100),          // 0x50 keypad 2 / Down
    keypad(0x51, '3', 0x7600),          // 0x51 keypad 3 / Page Down
    keypad(0x52, '0', 0x9200),          // 0x52 keypad 0 / Insert
    keypad(0x53, '.', 0x9300),          // 0x53 keypad . / Delete
    none,                               // 0x54
    none,                               // 0x55
    none,                               // 0x56
    {0x8500, 0x8700, 0x8900, 0x8B00},   // 0x57 F11
    {0x8600, 0x8800, 0x8A00, 0x8C00},   // 0x58 F12
}};

struct ExtendedRow {
    std::uint8_t scanCode;
    Row codes;
};

// Keys of the enhanced keyboard's own block, which share scan codes with the
// keypad but carry the extended flag.
constexpr std::array<ExtendedRow, 12> extendedTable = {{
    {0x1C, {13, 13, 10, 0xA600}},              // keypad Enter
    {0x35, {47, 63, 0x9500, 0xA400}},          // keypad /
    {0x47, {0x4700, 0x4700, 0x7700, 0x9700}},  // Home
    {0x48, {0x4800, 0x4800, 0x8D00, 0x9800}},  // Up
    {0x49, {0x4900, 0x4900, 0x8400, 0x9900}},  // Page Up
    {0x4B, {0x4B00, 0x4B00, 0x7300, 0x9B00}},  // Left
    {0x4D, {0x4D00, 0x4D00, 0x7400, 0x9D00}},  // Right
    {0x4F, {0x4F00, 0x4F00, 0x7500, 0x9F00}},  // End
    {0x50, {0x5000, 0x5000, 0x9100, 0xA000}},  // Down
    {0x51, {0x5100, 0x5100, 0x7600, 0xA100}},  // Page Down
    {0x52, {0x5200, 0x5200, 0x9200, 0xA200}},  // Insert
    {0x53, {0x5300, 0x5300, 0x9300, 0xA300}},  // Delete
}};

// Upper/lower pairs of code page 437 beyond ASCII.
constexpr std::array<std::pair<std::uint8_t, std::uint8_t>, 8> cp437CasePairs = {{
    {0x84, 0x8E},
    {0x94, 0x99},
    {0x81, 0x9A},
    {0x86, 0x8F},
    {0x91, 0x92},
    {0x87, 0x80},
    {0x82, 0x90},
    {0xA4, 0xA5},
}};

std::int32_t swapCase(std::int32_t c) {
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 'a';
    for (const auto& [lower, upper] : cp437CasePairs) {
        if (c == lower) return upper;
        if (c == upper) return lower;
    }
    return c;
}

std::int32_t asKeyCode(std::int32_t value) {
    return value > 255 ? ((value & 0xFF00) | 0xFF) : value;
}

}  // namespace

KeyColumn keyColumn(std::int32_t modifiers) {
    if (modifiers & (ModAlt | ModRightAlt)) return ColumnAlt;
    if (modifiers & (ModCtrl | ModRightCtrl)) return ColumnCtrl;
    if (modifiers & ModShift) return ColumnShift;
    return ColumnNormal;
}

std::uint16_t mainTableEntry(std::int32_t scanCode, KeyColumn column) {
    if (scanCode < 0 || scanCode >= MainTableRows) return 0;
    return mainTable[static_cast<std::size_t>(scanCode)][column];
}

std::uint16_t extendedTableEntry(std::int32_t scanCode, KeyColumn column) {
    for (const ExtendedRow& row : extendedTable) {
        if (row.scanCode == scanCode) return row.codes[column];
    }
    return 0;
}

std::int32_t translateKey(const KeyStroke& stroke) {
    const KeyColumn column = keyColumn(stroke.modifiers);
    const std::int32_t produced = stroke.produced & 0xFF;

    if (stroke.extended && produced == 0) {
        return asKeyCode(extendedTableEntry(stroke.scanCode, column));
    }
    if (stroke.scanCode < 0 || stroke.scanCode >= MainTableRows) return produced;

    std::int32_t value = mainTableEntry(stroke.scanCode, column);
    if (column == ColumnNormal && produced != 0) value = stroke.own;
    const bool sameKeyCharacter = produced == stroke.own || produced == swapCase(stroke.own);
    if (value > 255 && sameKeyCharacter) return asKeyCode(value);
    return produced;
}

}  // namespace gfx
