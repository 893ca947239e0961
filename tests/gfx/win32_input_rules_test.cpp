// The Win32 window layer's input rules, as plain arithmetic over message
// words and keyboard-state bytes.

#include <array>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "gfx/drivers/win32_dib_rows.hpp"
#include "gfx/drivers/win32_keyboard.hpp"
#include "gfx/drivers/win32_mouse.hpp"
#include "gfx/key_translation.hpp"

namespace {

using namespace gfx::win32;
using gfx::MouseState;
using gfx::takeMouse;

TEST(Win32Mouse, AClickBetweenTwoReadsIsSeenOnceAndOnlyInsideAndCaptureEndsWithTheLastButton) {
    MouseState mouse{.active = true};
    pressButtons(mouse, ButtonRight);
    std::int32_t x = 0, y = 0, buttons = 0;
    EXPECT_EQ(takeMouse(mouse, &x, &y, nullptr, &buttons, nullptr), -1);  // outside
    mouse.inside = true;
    releaseButtons(mouse, ButtonRight, 0);
    ASSERT_EQ(takeMouse(mouse, &x, &y, nullptr, &buttons, nullptr), 0);
    EXPECT_EQ(buttons, 0);  // the press outside was dropped

    takePosition(mouse, (250u << 16) | 130u);
    pressButtons(mouse, ButtonLeft);
    EXPECT_TRUE(releaseButtons(mouse, ButtonLeft, 0));
    ASSERT_EQ(takeMouse(mouse, &x, &y, nullptr, &buttons, nullptr), 0);
    EXPECT_EQ(std::tuple(x, y, buttons), std::tuple(130, 250, ButtonLeft));
    ASSERT_EQ(takeMouse(mouse, &x, &y, nullptr, &buttons, nullptr), 0);
    EXPECT_EQ(buttons, 0);
    changeActivation(mouse, false);
    EXPECT_EQ(takeMouse(mouse, &x, &y, nullptr, &buttons, nullptr), -1);

    // Capture ends only when the last button is up.
    pressButtons(mouse, ButtonLeft);
    pressButtons(mouse, extraButtons(ExtraButton1Bit | ExtraButton2Bit));
    EXPECT_EQ(mouse.buttons, ButtonLeft | ButtonExtra1 | ButtonExtra2);
    // The second extra button is still named in the key-state word.
    EXPECT_FALSE(releaseButtons(mouse, ButtonExtra1 | ButtonExtra2, ExtraButton2Bit));
    EXPECT_EQ(mouse.buttons, ButtonLeft | ButtonExtra2);
    EXPECT_FALSE(releaseButtons(mouse, ButtonLeft, ExtraButton2Bit));
    EXPECT_TRUE(releaseButtons(mouse, ButtonExtra1 | ButtonExtra2, 0));
    // Less than a notch still scrolls.
    EXPECT_EQ(std::pair(wheelStep(1), wheelStep(0)), std::pair(1, -1));
}

TEST(Win32Keyboard, KeyStateFromEitherVirtualKeyOrDirectInputModifiersAndTheKeyWord) {
    KeyboardState keyboard{};
    ScanCodeState keyState{};
    keyboard[0x26] = 0x80;  // the Up arrow of the cursor block, shared with keypad 8
    keyboard['A'] = 0x81;
    keyboard[0x1B] = 0x01;  // toggled, not down
    keyStateFromKeyboard(keyboard, keyState);
    ScanCodeState expected{};
    expected[0x48] = expected[0x1E] = 1;
    EXPECT_EQ(keyState, expected);

    KeyboardState device{};
    device[0x9D] = device[0x10] = 0x80;  // right Ctrl (0x1D + 128) and Q
    keyStateFromDirectInput(device, keyState);
    expected = {};
    expected[0x1D] = expected[0x10] = 1;
    EXPECT_EQ(keyState, expected);

    keyboard.fill(0);
    keyboard[0x10] = keyboard[0xA3] = keyboard[0xA5] = 0x80;  // Shift, right Ctrl, right Alt
    EXPECT_EQ(keyModifiers(keyboard), gfx::ModShift | gfx::ModRightCtrl | gfx::ModRightAlt);
    keyboard.fill(0);
    keyboard[0x12] = 0x80;  // generic Alt
    EXPECT_EQ(keyModifiers(keyboard), gfx::ModAlt);

    const KeyWord word = decodeKeyWord((1u << 29) | (1u << 24) | (0x48u << 16) | 3u);
    EXPECT_EQ(std::tuple(word.repeatCount, word.scanCode, word.extended, word.altDown),
              std::tuple(3, 0x48, true, true));
}

// Rows are padded to four bytes; 16-bit rows go out as 5-5-5.
TEST(Win32DibRows, StridesAndConversions) {
    const DibRows rows = chooseDibRows(16, 3);
    EXPECT_EQ(std::pair(rows.bitsPerPixel, rows.stride), std::pair(16, 8));
    const std::uint8_t source[6] = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00};  // red, green, blue
    std::array<std::uint8_t, 6> target{};
    rows.convert(source, target.data(), 3);
    EXPECT_EQ(target, (std::array<std::uint8_t, 6>{0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00}));

    EXPECT_EQ(chooseDibRows(32, 1000).stride, 4000);
    EXPECT_EQ(chooseDibRows(8, 1000).convert, nullptr);
    EXPECT_NE(chooseDibRows(8, 1001).convert, nullptr);
    EXPECT_EQ(chooseDibRows(8, 1001).stride, 1004);
    EXPECT_EQ(chooseDibRows(12, 100).bitsPerPixel, 0);
}

}  // namespace
