#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "gfx/color.hpp"
#include "gfx/font.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"
#include "tests/gfx/screen_pixels.hpp"
#include "widgets/panel.hpp"

namespace {

using namespace widgets;
using gfxtest::screenMatches;
using gfxtest::screenPixel;

// Buttons, and labels as the game shows them, are in the game's golden frame.
class PanelDrawing : public gfxtest::NullScreenTest<> {
  protected:
    void SetUp() override {
        NullScreenTest::SetUp();
        gfx::drawLine(nullptr, 0, 0, 1000, 600, gfx::White, gfx::FilledBox, 0xFFFF, 0);
    }

    // Whether the glyph of `ch` appears in black-on-white at (x, y).
    static bool glyphAt(unsigned char ch, int x, int y) {
        for (int row = 0; row < 8; ++row) {
            for (int col = 0; col < 8; ++col) {
                const bool on = ((gfx::BuiltinFont[ch * 8 + row] >> col) & 1u) != 0;
                if (screenPixel(x + col, y + row) != (on ? gfx::Black : gfx::White)) return false;
            }
        }
        return true;
    }
};

TEST_F(PanelDrawing, EmptyTextNoCharsPerLineOrStruckOtherThanOneDrawNothing) {
    WidgetPanel panel;
    addLabel(panel, 650, 20, 40, 1, "");
    addLabel(panel, 650, 120, 0, 1, "ABC");
    addLabel(panel, 650, 220, -3, 1, "ABC");
    int y = 200;
    for (const int struck : {3, -1, 2}) addLabel(panel, 100, y += 100, 5, struck, "     ");
    drawWidgets(panel);
    EXPECT_TRUE(screenMatches([](std::int32_t, std::int32_t) { return false; }, 0, gfx::White));
}

TEST_F(PanelDrawing, FortyOneCharactersWrapAndBothLinesAreStruckFullWidth) {
    WidgetPanel panel;
    // Spaces have an empty glyph, so only the strikes darken pixels.
    addLabel(panel, 650, 20, 40, 1, std::string(41, ' '));
    drawWidgets(panel);
    EXPECT_TRUE(screenMatches(
        [](std::int32_t x, std::int32_t y) { return x >= 650 && x <= 970 && (y == 24 || y == 34); },
        gfx::Black, gfx::White));
}

TEST_F(PanelDrawing, WrappedLineStartsTenPixelsLowerWithTheRemainder) {
    WidgetPanel panel;
    addLabel(panel, 100, 50, 3, 0, "ABCDEFG");
    drawWidgets(panel);
    EXPECT_TRUE(glyphAt('A', 100, 50) && glyphAt('C', 116, 50));
    EXPECT_TRUE(glyphAt('D', 100, 60) && glyphAt('G', 100, 70));
    EXPECT_TRUE(glyphAt(' ', 108, 70)) << "nothing after the last character";
    EXPECT_TRUE(glyphAt(' ', 124, 50)) << "no fourth character on the first line";
}

}  // namespace
