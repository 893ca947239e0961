#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <tuple>

#include "gfx/color.hpp"
#include "gfx/font.hpp"
#include "gfx/line.hpp"
#include "tests/gfx/screen_pixels.hpp"
#include "widgets/panel.hpp"

namespace {

using namespace widgets;

TEST(PanelUpdate, IdsCountFromOnePerListAndUpdatesReplaceOnlyTheFieldsNotKept) {
    WidgetPanel panel;
    updateLabel(panel, 1, 5, 5, 5, 1, "x");
    updateButton(panel, 1, 5, 5, 5, 5, "x");
    EXPECT_TRUE(panel.labels == nullptr && panel.buttons == nullptr);
    EXPECT_EQ(addLabel(panel, 1, 2, 3, 0, "a"), 1);
    EXPECT_EQ(addButton(panel, 750, 550, 100, 10, "cap"), 1);
    EXPECT_EQ(addLabel(panel, 650, 20, 40, 1, "text"), 2);
    for (const int unknown : {0, 3}) updateLabel(panel, unknown, 5, 5, 5, 0, "x");
    const TextLabel& first = *panel.labels;
    const TextLabel& l = *panel.labels->next;
    updateLabel(panel, 2, 11, KeepNumber, 0, 0, KeepText);
    EXPECT_EQ(std::tie(l.x, l.y, l.charsPerLine, l.struck, l.text),
              std::make_tuple(11, 20, 0, 0, std::string("text")));
    // Only the single keep byte keeps the text; empty text replaces it.
    updateLabel(panel, 2, KeepNumber, KeepNumber, KeepNumber, KeepStrike, "");
    EXPECT_EQ(std::tie(l.x, l.y, l.charsPerLine, l.struck, l.text),
              std::make_tuple(11, 20, 0, 0, std::string()));
    updateLabel(panel, 2, KeepNumber, KeepNumber, KeepNumber, KeepStrike, "\xff\xff");
    EXPECT_EQ(l.text, "\xff\xff");
    EXPECT_EQ(std::tie(first.x, first.struck, first.text), std::make_tuple(1, 0, std::string("a")));
    updateButton(panel, 1, KeepNumber, 560, KeepNumber, 20, "new");
    const Button& b = *panel.buttons;
    EXPECT_EQ(std::tie(b.x, b.y, b.width, b.height, b.caption),
              std::make_tuple(750, 560, 100, 20, std::string("new")));
}

TEST(PanelHitTest, LeftAndTopEdgesOutsideRightAndBottomInsideFirstMatchWins) {
    WidgetPanel panel;
    EXPECT_EQ(buttonAt(panel, 800, 555), 0) << "empty list";
    addButton(panel, 750, 550, 100, 10, "Neues R\x84tsel");
    addButton(panel, 700, 500, 200, 100, "behind");
    // Its far edges lie past the integer range; they must not wrap around.
    constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
    addButton(panel, Max - 10, Max - 10, 100, 100, "edge");
    const struct {
        std::int32_t x, y, id;
    } cases[] = {{750, 555, 2}, {800, 550, 2}, {751, 551, 1}, {850, 560, 1},     {851, 555, 2},
                 {800, 561, 2}, {700, 555, 0}, {Max, Max, 3}, {Max - 10, Max, 0}};
    for (const auto& c : cases) EXPECT_EQ(buttonAt(panel, c.x, c.y), c.id) << c.x << "," << c.y;
}

// Releasing a long list at the end of the test must not recurse once per node.
TEST(PanelLifetime, VeryLongListsAreReleasedWithoutDeepRecursion) {
    WidgetPanel panel;
    // Linked by hand: appending walks the list, which would make this quadratic.
    std::unique_ptr<TextLabel>* label = &panel.labels;
    std::unique_ptr<Button>* button = &panel.buttons;
    for (int i = 1; i <= 2'000'000; ++i) {
        *label = std::make_unique<TextLabel>();
        (*label)->id = i;
        label = &(*label)->next;
        *button = std::make_unique<Button>();
        button = &(*button)->next;
    }
    EXPECT_EQ(addLabel(panel, 0, 0, 1, 0, "a"), 2'000'001);
}

// Buttons, and labels as the game shows them, are in the game's golden frame.
using PanelDrawing = gfxtest::NullScreenTest<>;

// Three characters a line, each line ten pixels below the last and struck
// through the full width of three characters; nothing else. Empty text, no
// room for a character, or a strike value other than 1 draws nothing.
TEST_F(PanelDrawing, LabelsWrapTenPixelsLowerStruckFullWidthAndEmptyOnesDrawNothing) {
    gfx::drawLine(nullptr, 0, 0, 1000, 600, gfx::White, gfx::FilledBox, 0xFFFF, 0);
    WidgetPanel panel;
    addLabel(panel, 100, 50, 3, 1, "ABCDEFG");
    addLabel(panel, 650, 20, 40, 1, "");
    addLabel(panel, 650, 120, 0, 1, "ABC");
    addLabel(panel, 650, 220, -3, 1, "ABC");
    int y = 200;
    for (const int struck : {3, -1, 2}) addLabel(panel, 100, y += 100, 5, struck, "     ");
    drawWidgets(panel);
    EXPECT_TRUE(gfxtest::screenMatches(
        [](std::int32_t x, std::int32_t y) {
            if (x < 100 || y < 50 || y >= 80) return false;
            const std::int32_t column = (x - 100) / 8, line = (y - 50) / 10, row = (y - 50) % 10;
            if (row == 4 && x <= 124) return true;
            if (column > 2 || row > 7 || 3 * line + column > 6) return false;
            const auto ch = static_cast<unsigned char>("ABCDEFG"[3 * line + column]);
            return ((gfx::BuiltinFont[ch * 8 + row] >> ((x - 100) % 8)) & 1u) != 0;
        },
        gfx::Black, gfx::White));
}

}  // namespace
