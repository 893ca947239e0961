#include <gtest/gtest.h>

#if defined(LETTERMOOR_HAVE_X11)
#include <X11/X.h>
#include <X11/keysym.h>
#endif

#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

#if defined(LETTERMOOR_HAVE_X11)
#include "gfx/drivers/x11_keymap.hpp"
#endif
#include "gfx/drivers/canvas_keys.hpp"
#include "gfx/key_translation.hpp"

namespace {

constexpr std::int32_t Shift = gfx::ModShift;
constexpr std::int32_t Ctrl = gfx::ModCtrl;
constexpr std::int32_t Alt = gfx::ModAlt;

// PC BIOS key codes: the typed character where there is one, else the code
// of the key's column (Alt over Ctrl over Shift) in the high byte and 0xFF.
TEST(KeyTranslation, CharactersAndCodesInEveryColumn) {
    const std::tuple<const char*, gfx::KeyStroke, std::int32_t> cases[] = {
        {"Shift+a", {0x1E, false, Shift, 'A', 'a'}, 'A'},
        {"a with own character in upper case", {0x1E, false, 0, 'a', 'A'}, 'a'},
        {"keypad 8 with Num Lock", {0x48, false, 0, '8', 0}, '8'},
        {"key beyond the table", {0x70, false, 0, 'x', 'x'}, 'x'},
        // Alt keeps its column's code while the key types its own character.
        {"Alt+a", {0x1E, false, Alt, 'a', 'a'}, 0x1EFF},
        {"Alt+Shift+A", {0x1E, false, Alt | Shift, 'A', 'a'}, 0x1EFF},
        {"Alt+Shift+Ä", {0x28, false, Alt | Shift, 0x8E, 0x84}, 0x28FF},
        {"Alt+ä on a key whose own character is Ä", {0x28, false, Alt, 0x84, 0x8E}, 0x28FF},
        {"Alt+Shift+Ö", {0x27, false, Alt | Shift, 0x99, 0x94}, 0x27FF},
        {"AltGr+q typing @", {0x10, false, gfx::ModRightAlt | Ctrl, '@', 'q'}, '@'},
        {"Alt+key without Alt code", {0x2B, false, Alt, '\\', '\\'}, '\\'},
        {"Alt+F4", {0x3E, false, Alt, 0, 0}, 0x6BFF},
        {"Alt+2", {0x03, false, Alt, '2', '2'}, 0x79FF},
        {"right Ctrl+Shift+F12", {0x58, false, gfx::ModRightCtrl | Shift, 0, 0}, 0x8AFF},
        {"Shift+Tab", {0x0F, false, Shift, 9, 9}, 0x0FFF},
        {"keypad 8 without Num Lock", {0x48, false, 0, 0, 0}, 0x48FF},
        {"Alt+keypad 8 has no code", {0x48, false, Alt, 0, 0}, 0},
        // The enhanced block shares scan codes with the keypad.
        {"Alt+Up", {0x48, true, Alt, 0, 0}, 0x98FF},
        {"Alt+Left", {0x4B, true, Alt, 0, 0}, 0x9BFF},
        {"Alt+keypad Enter producing nothing", {0x1C, true, Alt, 0, 0}, 0xA6FF},
        {"Ctrl+keypad Enter producing nothing", {0x1C, true, Ctrl, 0, 0}, 10},
        {"extended key outside the table", {0x5B, true, 0, 0, 0}, 0},
    };
    for (const auto& [what, stroke, key] : cases) EXPECT_EQ(gfx::translateKey(stroke), key) << what;
}

#if defined(LETTERMOOR_HAVE_X11)
TEST(X11Keymap, EvdevKeycodesKeysymsAndModifiersAndWhatPressesPost) {
    // Escape, a and Up also come through the window in tests/x11.
    const std::tuple<std::uint32_t, std::uint32_t, std::int32_t, bool> cases[] = {
        {36, XK_Return, 0x1C, false}, {104, XK_KP_Enter, 0x1C, true},
        {111, XK_Up, 0x48, true},     {80, XK_KP_Up, 0x48, false},
        {95, XK_F11, 0x57, false},    {200, XK_VoidSymbol, 0, false},
        {67, XK_F1, 0x3B, false},     {112, XK_Prior, 0x49, true},
    };
    for (const auto& [keycode, keysym, scan, extended] : cases) {
        const gfx::x11::ScanKey key = gfx::x11::scanKeyFor(keycode, keysym);
        EXPECT_EQ(std::pair(key.scanCode, key.extended), std::pair(scan, extended)) << keycode;
    }
    // Unicode keysyms carry 0x01000000; the Euro sign has no place in 437.
    constexpr std::uint32_t Unicode = 0x01000000u;
    const std::pair<std::uint32_t, std::int32_t> keysyms[] = {
        {XK_adiaeresis, 0x84},  {XK_Escape, 27},           {XK_KP_7, '7'}, {XK_Up, 0},
        {Unicode | 0x20ACu, 0}, {Unicode | 0x2591u, 0xB0},
    };
    for (const auto& [keysym, code] : keysyms) {
        EXPECT_EQ(gfx::x11::keysymCp437(keysym), code) << std::hex << keysym;
    }
    // AltGr reaches the game's key events as right Alt with Ctrl.
    EXPECT_EQ(gfx::x11::keyModifiers(Mod5Mask | ShiftMask), gfx::ModRightAlt | Ctrl | Shift);

    // Presses post their extended code, then their typed character: a German
    // layout's ä, the Euro sign code page 437 lacks, Delete whose Xlib text
    // DEL is no character, and left Alt, which the window system keeps.
    const std::pair<gfx::x11::PressedKey, std::vector<std::int32_t>> presses[] = {
        {{{0x28, false}, 0x84, XK_adiaeresis, 0, "\xc3\xa4", true}, {0x84}},
        {{{0x12, false}, 'e', XK_EuroSign, 0, "\xe2\x82\xac", true}, {}},
        {{{0x53, true}, 0, XK_Delete, 0, "\x7f", true}, {0x53FF}},
        {{{0x1E, false}, 'a', XK_a, Mod1Mask, "a", true}, {}},
    };
    for (const auto& [press, posts] : presses) {
        EXPECT_EQ(gfx::x11::keyPressPosts(press), posts) << std::hex << press.keysym;
    }
}
#endif

// A browser keydown (its physical `code`, its `key` text, the modifiers) to
// the codes the key ring gets: the extended code, then the typed character.
TEST(CanvasKeys, BrowserKeyEventsToKeyCodesAndCodePage437) {
    const std::pair<gfx::canvas::BrowserKey, std::vector<std::int32_t>> cases[] = {
        {{"KeyA", "a"}, {'a'}},
        {{"KeyA", "A", true}, {'A'}},
        {{"Escape", "Escape"}, {27}},
        {{"Enter", "Enter"}, {13}},
        {{"NumpadEnter", "Enter"}, {13}},
        {{"Backspace", "Backspace"}, {8}},
        {{"Tab", "Tab", true}, {0x0FFF, 9}},
        {{"ArrowUp", "ArrowUp"}, {0x48FF}},
        {{"Delete", "Delete"}, {0x53FF}},
        {{"F1", "F1"}, {0x3BFF}},
        {{"Numpad8", "8"}, {'8'}},
        // A German layout: the character, not the key's US name, is typed.
        {{"Quote", "\xc3\xa4"}, {0x84}},
        {{"Quote", "\xc3\x84", true}, {0x8E}},
        {{"Minus", "\xc3\x9f"}, {0xE1}},
        // AltGr arrives as Ctrl with Alt and types its character.
        {{"KeyQ", "@", false, true, true}, {'@'}},
        // Ctrl with a letter of the layout (German: Z on the key named Y).
        {{"KeyA", "a", false, true}, {0x01}},
        {{"KeyY", "Z", true, true}, {0x1A}},
        {{"Digit1", "1", false, true}, {}},
        // Alt and the system key belong to the browser and the desktop.
        {{"F4", "F4", false, false, true}, {}},
        {{"KeyC", "c", false, false, false, true}, {}},
        // Code page 437 has no Euro sign; a dead key types nothing yet.
        {{"KeyE", "\xe2\x82\xac", false, true, true}, {}},
        {{"Quote", "Dead"}, {}},
    };
    for (const auto& [press, posts] : cases) {
        EXPECT_EQ(gfx::canvas::keyDownPosts(press), posts) << press.code << " " << press.key;
    }
}

}  // namespace
