#include "gfx/drivers/win32_keyboard.hpp"

#include "gfx/key_translation.hpp"

namespace gfx::win32 {
namespace {

// Virtual-key numbers of the window system.
enum : std::uint8_t {
    VkBack = 0x08,
    VkTab = 0x09,
    VkClear = 0x0C,
    VkReturn = 0x0D,
    VkShift = 0x10,
    VkControl = 0x11,
    VkMenu = 0x12,
    VkPause = 0x13,
    VkCapital = 0x14,
    VkEscape = 0x1B,
    VkSpace = 0x20,
    VkPrior = 0x21,
    VkNext = 0x22,
    VkEnd = 0x23,
    VkHome = 0x24,
    VkLeft = 0x25,
    VkUp = 0x26,
    VkRight = 0x27,
    VkDown = 0x28,
    VkSnapshot = 0x2C,
    VkInsert = 0x2D,
    VkDelete = 0x2E,
    VkLeftWin = 0x5B,
    VkRightWin = 0x5C,
    VkApps = 0x5D,
    VkNumpad0 = 0x60,
    VkMultiply = 0x6A,
    VkAdd = 0x6B,
    VkSubtract = 0x6D,
    VkDecimal = 0x6E,
    VkDivide = 0x6F,
    VkF1 = 0x70,
    VkF11 = 0x7A,
    VkF12 = 0x7B,
    VkNumLock = 0x90,
    VkScroll = 0x91,
    VkLeftShift = 0xA0,
    VkRightShift = 0xA1,
    VkLeftControl = 0xA2,
    VkRightControl = 0xA3,
    VkLeftMenu = 0xA4,
    VkRightMenu = 0xA5,
    VkOem1 = 0xBA,
    VkOemPlus = 0xBB,
    VkOemComma = 0xBC,
    VkOemMinus = 0xBD,
    VkOemPeriod = 0xBE,
    VkOem2 = 0xBF,
    VkOem3 = 0xC0,
    VkOem4 = 0xDB,
    VkOem5 = 0xDC,
    VkOem6 = 0xDD,
    VkOem7 = 0xDE,
    VkOem102 = 0xE2,
};

constexpr std::uint8_t numpad(int digit) {
    return static_cast<std::uint8_t>(VkNumpad0 + digit);
}

// Row s: the keys on PC set-1 scan code s. The keypad shares its scan codes
// with the separate cursor block, keypad / with the / key, and so on.
constexpr std::array<ScanCodeKeys, 128> scanTable = [] {
    std::array<ScanCodeKeys, 128> t{};
    const char* digits = "1234567890";
    for (int i = 0; i < 10; ++i) {
        t[0x02 + static_cast<std::size_t>(i)].first = static_cast<std::uint8_t>(digits[i]);
    }
    const char* top = "QWERTYUIOP";
    for (int i = 0; i < 10; ++i) {
        t[0x10 + static_cast<std::size_t>(i)].first = static_cast<std::uint8_t>(top[i]);
    }
    const char* middle = "ASDFGHJKL";
    for (int i = 0; i < 9; ++i) {
        t[0x1E + static_cast<std::size_t>(i)].first = static_cast<std::uint8_t>(middle[i]);
    }
    const char* bottom = "ZXCVBNM";
    for (int i = 0; i < 7; ++i) {
        t[0x2C + static_cast<std::size_t>(i)].first = static_cast<std::uint8_t>(bottom[i]);
    }
    for (int i = 0; i < 10; ++i) {
        t[0x3B + static_cast<std::size_t>(i)].first = static_cast<std::uint8_t>(VkF1 + i);
    }
    t[0x01] = {VkEscape, 0};
    t[0x0C] = {VkOemMinus, 0};
    t[0x0D] = {VkOemPlus, 0};
    t[0x0E] = {VkBack, 0};
    t[0x0F] = {VkTab, 0};
    t[0x1A] = {VkOem4, 0};
    t[0x1B] = {VkOem6, 0};
    t[0x1C] = {VkReturn, 0};
    t[0x1D] = {VkLeftControl, VkRightControl};
    t[0x27] = {VkOem1, 0};
    t[0x28] = {VkOem7, 0};
    t[0x29] = {VkOem3, 0};
    t[0x2A] = {VkLeftShift, 0};
    t[0x2B] = {VkOem5, 0};
    t[0x33] = {VkOemComma, 0};
    t[0x34] = {VkOemPeriod, 0};
    t[0x35] = {VkOem2, VkDivide};
    t[0x36] = {VkRightShift, 0};
    t[0x37] = {VkMultiply, VkSnapshot};
    t[0x38] = {VkLeftMenu, VkRightMenu};
    t[0x39] = {VkSpace, 0};
    t[0x3A] = {VkCapital, 0};
    t[0x45] = {VkNumLock, VkPause};
    t[0x46] = {VkScroll, 0};
    t[0x47] = {numpad(7), VkHome};
    t[0x48] = {numpad(8), VkUp};
    t[0x49] = {numpad(9), VkPrior};
    t[0x4A] = {VkSubtract, 0};
    t[0x4B] = {numpad(4), VkLeft};
    t[0x4C] = {numpad(5), VkClear};
    t[0x4D] = {numpad(6), VkRight};
    t[0x4E] = {VkAdd, 0};
    t[0x4F] = {numpad(1), VkEnd};
    t[0x50] = {numpad(2), VkDown};
    t[0x51] = {numpad(3), VkNext};
    t[0x52] = {numpad(0), VkInsert};
    t[0x53] = {VkDecimal, VkDelete};
    t[0x56] = {VkOem102, 0};
    t[0x57] = {VkF11, 0};
    t[0x58] = {VkF12, 0};
    t[0x5B] = {VkLeftWin, 0};
    t[0x5C] = {VkRightWin, 0};
    t[0x5D] = {VkApps, 0};
    return t;
}();

bool down(const KeyboardState& keyboard, std::uint8_t virtualKey) {
    return virtualKey != 0 && (keyboard[virtualKey] & 0x80) != 0;
}

}  // namespace

ScanCodeKeys virtualKeysOf(std::int32_t scanCode) {
    if (scanCode < 0 || scanCode >= static_cast<std::int32_t>(scanTable.size())) return {};
    return scanTable[static_cast<std::size_t>(scanCode)];
}

void keyStateFromKeyboard(const KeyboardState& keyboard, ScanCodeState& keyState) {
    for (std::size_t s = 0; s < keyState.size(); ++s) {
        const ScanCodeKeys keys = scanTable[s];
        keyState[s] = (down(keyboard, keys.first) || down(keyboard, keys.second)) ? 1 : 0;
    }
}

void keyStateFromDirectInput(const KeyboardState& device, ScanCodeState& keyState) {
    for (std::size_t s = 0; s < keyState.size(); ++s) {
        keyState[s] = ((device[s] | device[s + 128]) & 0x80) != 0 ? 1 : 0;
    }
}

std::int32_t keyModifiers(const KeyboardState& keyboard) {
    std::int32_t modifiers = 0;
    if (down(keyboard, VkShift) || down(keyboard, VkLeftShift) || down(keyboard, VkRightShift)) {
        modifiers |= ModShift;
    }
    if (down(keyboard, VkLeftControl) || down(keyboard, VkControl)) modifiers |= ModCtrl;
    if (down(keyboard, VkRightControl)) modifiers |= ModRightCtrl;
    if (down(keyboard, VkLeftMenu) || down(keyboard, VkMenu)) modifiers |= ModAlt;
    if (down(keyboard, VkRightMenu)) modifiers |= ModRightAlt;
    return modifiers;
}

KeyWord decodeKeyWord(std::uint32_t keyWord) {
    KeyWord word;
    word.repeatCount = static_cast<std::int32_t>(keyWord & 0xFFFF);
    word.scanCode = static_cast<std::int32_t>((keyWord >> 16) & 0xFF);
    word.extended = (keyWord & (1u << 24)) != 0;
    word.altDown = (keyWord & (1u << 29)) != 0;
    return word;
}

}  // namespace gfx::win32
