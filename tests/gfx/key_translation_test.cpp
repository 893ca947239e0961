#include <gtest/gtest.h>

#if defined(LETTERMOOR_HAVE_X11)
#include <X11/keysym.h>
#endif

#include <cstdint>

#if defined(LETTERMOOR_HAVE_X11)
#include "gfx/drivers/x11_keymap.hpp"
#endif
#include "gfx/key_translation.hpp"

namespace {

using gfx::KeyStroke;
using gfx::translateKey;

constexpr std::int32_t Shift = gfx::ModShift;
constexpr std::int32_t Ctrl = gfx::ModCtrl;
constexpr std::int32_t Alt = gfx::ModAlt;

struct Case {
    const char* what;
    KeyStroke stroke;
    std::int32_t expected;
};

void expectAll(std::initializer_list<Case> cases) {
    for (const Case& c : cases) EXPECT_EQ(translateKey(c.stroke), c.expected) << c.what;
}

TEST(KeyTranslation, CharacterKeysGiveTheirCharacter) {
    expectAll({
        {"Esc", {0x01, false, 0, 27, 27}, 27},
        {"Enter", {0x1C, false, 0, 13, 13}, 13},
        {"Backspace", {0x0E, false, 0, 8, 8}, 8},
        {"a", {0x1E, false, 0, 'a', 'a'}, 'a'},
        {"Shift+a", {0x1E, false, Shift, 'A', 'a'}, 'A'},
        {"Ctrl+a", {0x1E, false, Ctrl, 1, 'a'}, 1},
        {"a with own character reported in upper case", {0x1E, false, 0, 'a', 'A'}, 'a'},
        {"ä on a German layout", {0x28, false, 0, 0x84, 0x84}, 0x84},
        {"Shift+ä", {0x28, false, Shift, 0x8E, 0x84}, 0x8E},
        {"keypad 8 with Num Lock", {0x48, false, 0, '8', 0}, '8'},
        {"keypad Enter", {0x1C, true, 0, 13, 13}, 13},
        {"key beyond the table", {0x70, false, 0, 'x', 'x'}, 'x'},
        {"key beyond the table producing nothing", {0x70, false, 0, 0, 0}, 0},
    });
}

TEST(KeyTranslation, AltColumnWinsWhenTheKeyKeepsItsCharacter) {
    expectAll({
        {"Alt+a", {0x1E, false, Alt, 'a', 'a'}, 0x1EFF},
        {"right Alt+a", {0x1E, false, gfx::ModRightAlt, 'a', 'a'}, 0x1EFF},
        {"Alt+Shift+A", {0x1E, false, Alt | Shift, 'A', 'a'}, 0x1EFF},
        {"Alt+Ctrl+a", {0x1E, false, Alt | Ctrl, 'a', 'a'}, 0x1EFF},
        {"Alt+Esc", {0x01, false, Alt, 27, 27}, 0x01FF},
        {"Alt+1", {0x02, false, Alt, '1', '1'}, 0x78FF},
        {"Alt+=", {0x0D, false, Alt, '=', '='}, 0x83FF},
        {"Alt+Backspace", {0x0E, false, Alt, 8, 8}, 0xE0FF},
        {"Alt+Enter", {0x1C, false, Alt, 13, 13}, 0x1CFF},
        {"Alt+/", {0x35, false, Alt, '/', '/'}, 0x35FF},
        // AltGr+q types '@' on a German layout: the character wins.
        {"AltGr+q", {0x10, false, gfx::ModRightAlt | Ctrl, '@', 'q'}, '@'},
        {"Alt+key without Alt code", {0x2B, false, Alt, '\\', '\\'}, '\\'},
    });
}

TEST(KeyTranslation, FunctionKeysInEveryColumn) {
    expectAll({
        {"F1", {0x3B, false, 0, 0, 0}, 0x3BFF},
        {"Shift+F1", {0x3B, false, Shift, 0, 0}, 0x54FF},
        {"Ctrl+F1", {0x3B, false, Ctrl, 0, 0}, 0x5EFF},
        {"Alt+F1", {0x3B, false, Alt, 0, 0}, 0x68FF},
        {"Alt+F4", {0x3E, false, Alt, 0, 0}, 0x6BFF},
        {"F10", {0x44, false, 0, 0, 0}, 0x44FF},
        {"Alt+F10", {0x44, false, Alt, 0, 0}, 0x71FF},
        {"F11", {0x57, false, 0, 0, 0}, 0x85FF},
        {"Shift+F11", {0x57, false, Shift, 0, 0}, 0x87FF},
        {"Ctrl+F12", {0x58, false, Ctrl, 0, 0}, 0x8AFF},
        {"Alt+F12", {0x58, false, Alt, 0, 0}, 0x8CFF},
        {"Ctrl+2", {0x03, false, Ctrl, '2', '2'}, 0x03FF},
        {"Shift+Tab", {0x0F, false, Shift, 9, 9}, 0x0FFF},
        {"Ctrl+Tab", {0x0F, false, Ctrl, 9, 9}, 0x94FF},
    });
}

TEST(KeyTranslation, ExtendedBlockAndKeypad) {
    expectAll({
        {"Up", {0x48, true, 0, 0, 0}, 0x48FF},
        {"Shift+Up", {0x48, true, Shift, 0, 0}, 0x48FF},
        {"Ctrl+Up", {0x48, true, Ctrl, 0, 0}, 0x8DFF},
        {"Alt+Up", {0x48, true, Alt, 0, 0}, 0x98FF},
        {"Delete", {0x53, true, 0, 0, 0}, 0x53FF},
        {"Alt+Delete", {0x53, true, Alt, 0, 0}, 0xA3FF},
        {"Ctrl+Page Down", {0x51, true, Ctrl, 0, 0}, 0x76FF},
        {"Alt+keypad Enter producing nothing", {0x1C, true, Alt, 0, 0}, 0xA6FF},
        {"Ctrl+keypad Enter producing nothing", {0x1C, true, Ctrl, 0, 0}, 10},
        {"Ctrl+keypad /", {0x35, true, Ctrl, 0, 0}, 0x95FF},
        {"extended key outside the table", {0x5B, true, 0, 0, 0}, 0},
        {"keypad 8 without Num Lock", {0x48, false, 0, 0, 0}, 0x48FF},
        {"Ctrl+keypad 8", {0x48, false, Ctrl, 0, 0}, 0x8DFF},
        {"Ctrl+keypad 5", {0x4C, false, Ctrl, 0, 0}, 0x8FFF},
        {"Alt+keypad 5", {0x4C, false, Alt, 0, 0}, 0x4CFF},
        {"Alt+keypad 8 has no code", {0x48, false, Alt, 0, 0}, 0},
        {"keypad . without Num Lock", {0x53, false, 0, 0, 0}, 0x53FF},
    });
}

TEST(KeyTranslation, ColumnPriority) {
    EXPECT_EQ(gfx::keyColumn(0), gfx::ColumnNormal);
    EXPECT_EQ(gfx::keyColumn(Shift), gfx::ColumnShift);
    EXPECT_EQ(gfx::keyColumn(Shift | gfx::ModRightCtrl), gfx::ColumnCtrl);
    EXPECT_EQ(gfx::keyColumn(Shift | Ctrl | gfx::ModRightAlt), gfx::ColumnAlt);
}

#if defined(LETTERMOOR_HAVE_X11)
TEST(X11Keymap, EvdevKeycodesAndTheEnhancedBlock) {
    struct KeyCase {
        std::uint32_t keycode;
        std::uint32_t keysym;
        std::int32_t scan;
        bool extended;
    };
    const KeyCase cases[] = {
        {9, XK_Escape, 0x01, false},     {38, XK_a, 0x1E, false},
        {36, XK_Return, 0x1C, false},    {104, XK_KP_Enter, 0x1C, true},
        {111, XK_Up, 0x48, true},        {80, XK_KP_Up, 0x48, false},
        {119, XK_Delete, 0x53, true},    {91, XK_KP_Delete, 0x53, false},
        {106, XK_KP_Divide, 0x35, true}, {67, XK_F1, 0x3B, false},
        {95, XK_F11, 0x57, false},       {48, XK_adiaeresis, 0x28, false},
        {105, XK_Control_R, 0x1D, true}, {200, XK_VoidSymbol, 0, false},
    };
    for (const KeyCase& c : cases) {
        const gfx::x11::ScanKey key = gfx::x11::scanKeyFor(c.keycode, c.keysym);
        EXPECT_EQ(key.scanCode, c.scan) << "keycode " << c.keycode;
        EXPECT_EQ(key.extended, c.extended) << "keycode " << c.keycode;
    }
}

TEST(X11Keymap, KeysymsToCodePage437) {
    EXPECT_EQ(gfx::x11::keysymCp437(XK_adiaeresis), 0x84);
    EXPECT_EQ(gfx::x11::keysymCp437(XK_Adiaeresis), 0x8E);
    EXPECT_EQ(gfx::x11::keysymCp437(XK_ssharp), 0xE1);
    EXPECT_EQ(gfx::x11::keysymCp437(XK_Escape), 27);
    EXPECT_EQ(gfx::x11::keysymCp437(XK_KP_7), '7');
    EXPECT_EQ(gfx::x11::keysymCp437(XK_Up), 0);
    EXPECT_EQ(gfx::x11::keysymCp437(XK_Delete), 0);
    // Unicode keysyms: the Euro sign has no place in code page 437.
    EXPECT_EQ(gfx::x11::keysymCp437(0x01000000u | 0x20ACu), 0);
    EXPECT_EQ(gfx::x11::keysymCp437(0x01000000u | 0x2591u), 0xB0);
    EXPECT_EQ(gfx::x11::typedCp437(U'ü'), 0x81);
    EXPECT_EQ(gfx::x11::typedCp437(0), 0);
}
#endif

}  // namespace
