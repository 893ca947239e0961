// The Win32 window layer's input rules, as plain arithmetic over message
// words and keyboard-state bytes.

#include <gtest/gtest.h>

#include "gfx/drivers/win32_dib_rows.hpp"
#include "gfx/drivers/win32_keyboard.hpp"
#include "gfx/drivers/win32_mouse.hpp"
#include "gfx/key_translation.hpp"

namespace {

using namespace gfx::win32;
using gfx::MouseState;
using gfx::takeMouse;

TEST(Win32Mouse, AClickBetweenTwoReadsIsStillSeenOnce) {
    MouseState mouse;
    mouse.active = true;
    mouse.inside = true;
    takePosition(mouse, (250u << 16) | 130u);
    pressButtons(mouse, ButtonLeft);
    EXPECT_TRUE(releaseButtons(mouse, ButtonLeft, 0));
    std::int32_t x = 0, y = 0, wheel = 0, buttons = 0, clipped = 0;
    ASSERT_EQ(takeMouse(mouse, &x, &y, &wheel, &buttons, &clipped), 0);
    EXPECT_EQ(x, 130);
    EXPECT_EQ(y, 250);
    EXPECT_EQ(buttons, ButtonLeft);
    ASSERT_EQ(takeMouse(mouse, &x, &y, &wheel, &buttons, &clipped), 0);
    EXPECT_EQ(buttons, 0);
}

TEST(Win32Mouse, OutsideOrInactiveReadsFailAndDropTheLatchedPress) {
    MouseState mouse;
    mouse.active = true;
    pressButtons(mouse, ButtonRight);
    std::int32_t x = 0, y = 0, buttons = 0;
    EXPECT_EQ(takeMouse(mouse, &x, &y, nullptr, &buttons, nullptr), -1);
    mouse.inside = true;
    releaseButtons(mouse, ButtonRight, 0);
    ASSERT_EQ(takeMouse(mouse, &x, &y, nullptr, &buttons, nullptr), 0);
    EXPECT_EQ(buttons, 0);
    changeActivation(mouse, false);
    EXPECT_EQ(takeMouse(mouse, &x, &y, nullptr, &buttons, nullptr), -1);
}

TEST(Win32Mouse, CaptureEndsOnlyWhenTheLastButtonIsUp) {
    MouseState mouse;
    pressButtons(mouse, ButtonLeft);
    pressButtons(mouse, extraButtons(ExtraButton1Bit | ExtraButton2Bit));
    EXPECT_EQ(mouse.buttons, ButtonLeft | ButtonExtra1 | ButtonExtra2);
    // The second extra button is still named in the key-state word.
    EXPECT_FALSE(releaseButtons(mouse, ButtonExtra1 | ButtonExtra2, ExtraButton2Bit));
    EXPECT_EQ(mouse.buttons, ButtonLeft | ButtonExtra2);
    EXPECT_FALSE(releaseButtons(mouse, ButtonLeft, ExtraButton2Bit));
    EXPECT_TRUE(releaseButtons(mouse, ButtonExtra1 | ButtonExtra2, 0));
}

TEST(Win32Mouse, WheelCountsNotchesWhateverTheirSize) {
    MouseState mouse;
    for (std::int32_t delta : {120, 240, 1}) mouse.wheel += wheelStep(delta);
    EXPECT_EQ(mouse.wheel, 3);
    mouse.wheel += wheelStep(-120);
    EXPECT_EQ(mouse.wheel, 2);
    EXPECT_EQ(wheelStep(0), -1);
}

TEST(Win32Keyboard, KeyStateFollowsEitherVirtualKeyOfAScanCode) {
    KeyboardState keyboard{};
    ScanCodeState keyState{};
    keyboard[0x26] = 0x80;  // the Up arrow of the cursor block
    keyboard['A'] = 0x81;
    keyboard[0x1B] = 0x01;  // toggled, not down
    keyStateFromKeyboard(keyboard, keyState);
    EXPECT_EQ(keyState[0x48], 1);  // shared with keypad 8
    EXPECT_EQ(keyState[0x1E], 1);
    EXPECT_EQ(keyState[0x01], 0);
    int down = 0;
    for (std::uint8_t s : keyState) down += s;
    EXPECT_EQ(down, 2);
}

TEST(Win32Keyboard, DirectInputExtendedKeysCountOnTheirScanCode) {
    KeyboardState device{};
    ScanCodeState keyState{};
    device[0x9D] = 0x80;  // right Ctrl: 0x1D + 128
    device[0x10] = 0x80;
    keyStateFromDirectInput(device, keyState);
    EXPECT_EQ(keyState[0x1D], 1);
    EXPECT_EQ(keyState[0x10], 1);
    EXPECT_EQ(keyState[0x11], 0);
}

TEST(Win32Keyboard, ModifiersAndTheKeyWord) {
    KeyboardState keyboard{};
    keyboard[0x10] = 0x80;  // Shift
    keyboard[0xA3] = 0x80;  // right Ctrl
    keyboard[0xA5] = 0x80;  // right Alt
    EXPECT_EQ(keyModifiers(keyboard), gfx::ModShift | gfx::ModRightCtrl | gfx::ModRightAlt);
    keyboard.fill(0);
    keyboard[0x12] = 0x80;  // generic Alt
    EXPECT_EQ(keyModifiers(keyboard), gfx::ModAlt);

    const KeyWord word = decodeKeyWord((1u << 29) | (1u << 24) | (0x48u << 16) | 3u);
    EXPECT_EQ(word.repeatCount, 3);
    EXPECT_EQ(word.scanCode, 0x48);
    EXPECT_TRUE(word.extended);
    EXPECT_TRUE(word.altDown);
    // Alt+F4 as the key word and keyboard state give it: the close request.
    EXPECT_EQ(gfx::translateKey(gfx::KeyStroke{0x3E, false, keyModifiers(keyboard), 0, 0}), 0x6BFF);
}

TEST(Win32DibRows, SixteenBitRowsBecomeFiveFiveFiveWithPaddedStride) {
    const DibRows rows = chooseDibRows(16, 3);
    ASSERT_NE(rows.convert, nullptr);
    EXPECT_EQ(rows.bitsPerPixel, 16);
    EXPECT_EQ(rows.stride, 8);
    // Pure red, pure green and pure blue in 5-6-5.
    const std::uint8_t source[6] = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00};
    std::uint8_t target[8] = {};
    rows.convert(source, target, 3);
    EXPECT_EQ(target[0] | (target[1] << 8), 0x7C00);
    EXPECT_EQ(target[2] | (target[3] << 8), 0x03E0);
    EXPECT_EQ(target[4] | (target[5] << 8), 0x001F);
}

TEST(Win32DibRows, ThirtyTwoBitRowsGoAsTheyAre) {
    const DibRows rows = chooseDibRows(32, 1000);
    EXPECT_EQ(rows.convert, nullptr);
    EXPECT_EQ(rows.stride, 4000);
    EXPECT_EQ(chooseDibRows(8, 1000).convert, nullptr);
    EXPECT_NE(chooseDibRows(8, 1001).convert, nullptr);
    EXPECT_EQ(chooseDibRows(8, 1001).stride, 1004);
    EXPECT_EQ(chooseDibRows(12, 100).bitsPerPixel, 0);
}

}  // namespace
