#include "gfx/drivers/x11_keymap.hpp"

#include <X11/X.h>
#include <X11/keysym.h>

#include <string>
#include <utility>

#include "gfx/key_translation.hpp"
#include "runtime/cp437.hpp"

namespace gfx::x11 {
namespace {

// An evdev keyboard's X keycodes are the kernel key codes plus 8.
constexpr std::uint32_t EvdevOffset = 8;
constexpr std::int32_t LastMainBlockScan = 88;

struct KeysymScan {
    std::uint32_t keysym;
    std::int32_t scanCode;
    bool extended;
};

constexpr KeysymScan keysymScans[] = {
    {XK_Home, 0x47, true},         {XK_Up, 0x48, true},         {XK_Prior, 0x49, true},
    {XK_Left, 0x4B, true},         {XK_Right, 0x4D, true},      {XK_End, 0x4F, true},
    {XK_Down, 0x50, true},         {XK_Next, 0x51, true},       {XK_Insert, 0x52, true},
    {XK_Delete, 0x53, true},       {XK_KP_Enter, 0x1C, true},   {XK_KP_Divide, 0x35, true},
    {XK_Control_R, 0x1D, true},    {XK_Alt_R, 0x38, true},      {XK_ISO_Level3_Shift, 0x38, true},
    {XK_KP_Home, 0x47, false},     {XK_KP_7, 0x47, false},      {XK_KP_Up, 0x48, false},
    {XK_KP_8, 0x48, false},        {XK_KP_Prior, 0x49, false},  {XK_KP_9, 0x49, false},
    {XK_KP_Subtract, 0x4A, false}, {XK_KP_Left, 0x4B, false},   {XK_KP_4, 0x4B, false},
    {XK_KP_Begin, 0x4C, false},    {XK_KP_5, 0x4C, false},      {XK_KP_Right, 0x4D, false},
    {XK_KP_6, 0x4D, false},        {XK_KP_Add, 0x4E, false},    {XK_KP_End, 0x4F, false},
    {XK_KP_1, 0x4F, false},        {XK_KP_Down, 0x50, false},   {XK_KP_2, 0x50, false},
    {XK_KP_Next, 0x51, false},     {XK_KP_3, 0x51, false},      {XK_KP_Insert, 0x52, false},
    {XK_KP_0, 0x52, false},        {XK_KP_Delete, 0x53, false}, {XK_KP_Decimal, 0x53, false},
    {XK_KP_Multiply, 0x37, false}, {XK_Escape, 0x01, false},    {XK_F11, 0x57, false},
    {XK_F12, 0x58, false},
};

// Control and keypad keysyms that type a character.
constexpr std::pair<std::uint32_t, char32_t> keysymCharacters[] = {
    {XK_BackSpace, 8},      {XK_Tab, 9},         {XK_KP_Tab, 9},          {XK_Return, 13},
    {XK_KP_Enter, 13},      {XK_Escape, 27},     {XK_KP_Space, U' '},     {XK_KP_Equal, U'='},
    {XK_KP_Multiply, U'*'}, {XK_KP_Add, U'+'},   {XK_KP_Separator, U','}, {XK_KP_Subtract, U'-'},
    {XK_KP_Decimal, U'.'},  {XK_KP_Divide, U'/'}};

}  // namespace

ScanKey scanKeyFor(std::uint32_t keycode, std::uint32_t baseKeysym) {
    for (const KeysymScan& entry : keysymScans) {
        if (entry.keysym == baseKeysym) return {entry.scanCode, entry.extended};
    }
    if (baseKeysym >= XK_F1 && baseKeysym <= XK_F10) {
        return {static_cast<std::int32_t>(0x3B + (baseKeysym - XK_F1)), false};
    }
    if (keycode > EvdevOffset && keycode - EvdevOffset <= LastMainBlockScan) {
        return {static_cast<std::int32_t>(keycode - EvdevOffset), false};
    }
    return {};
}

char32_t keysymCharacter(std::uint32_t keysym) {
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF)) return keysym;
    if ((keysym & 0xFF000000u) == 0x01000000u) return keysym & 0x00FFFFFFu;
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return U'0' + (keysym - XK_KP_0);
    for (const auto& [named, character] : keysymCharacters) {
        if (named == keysym) return character;
    }
    return 0;
}

std::int32_t typedCp437(char32_t ch) {
    if (ch == 0) return 0;
    const std::int32_t byte = runtime::unicodeToCp437(ch);
    return byte < 0 ? 0 : byte;
}

std::int32_t keysymCp437(std::uint32_t keysym) {
    return typedCp437(keysymCharacter(keysym));
}

std::int32_t keyModifiers(unsigned state) {
    std::int32_t modifiers = 0;
    if (state & ShiftMask) modifiers |= ModShift;
    if (state & ControlMask) modifiers |= ModCtrl;
    if (state & Mod1Mask) modifiers |= ModAlt;
    // AltGr reaches programs as right Alt together with Ctrl.
    if (state & Mod5Mask) modifiers |= ModRightAlt | ModCtrl;
    return modifiers;
}

std::int32_t keyPressCode(const PressedKey& press) {
    return translateKey(KeyStroke{press.key.scanCode, press.key.extended, keyModifiers(press.state),
                                  keysymCp437(press.keysym), press.own});
}

std::vector<std::int32_t> keyPressPosts(const PressedKey& press) {
    std::vector<std::int32_t> codes;
    if ((press.state & Mod1Mask) != 0) return codes;
    if (const std::int32_t code = keyPressCode(press); code > 255) codes.push_back(code);
    // Keys without a character (Delete, the arrows) still give Xlib text
    // such as DEL; only character keys and input method commits type text.
    const bool characterKey = press.keysym == NoSymbol || keysymCharacter(press.keysym) != 0;
    if (!press.hasText || !characterKey) return codes;
    std::u32string characters;
    runtime::decodeUtf8(press.typedUtf8, characters);
    for (const char32_t ch : characters) {
        // A character code page 437 cannot hold is dropped, as is NUL.
        if (const std::int32_t code = typedCp437(ch); code != 0) codes.push_back(code);
    }
    return codes;
}

}  // namespace gfx::x11
