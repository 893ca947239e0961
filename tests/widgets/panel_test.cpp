#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "widgets/panel.hpp"

namespace {

using namespace widgets;

const TextLabel* labelAt(const WidgetPanel& panel, int position) {
    const TextLabel* label = panel.labels.get();
    for (int i = 0; i < position && label != nullptr; ++i) label = label->next.get();
    return label;
}

TEST(PanelLists, IdsCountFromOneInAppendOrderPerList) {
    WidgetPanel panel;
    EXPECT_EQ(addLabel(panel, 1, 2, 40, 0, "first"), 1);
    EXPECT_EQ(addLabel(panel, 3, 4, 40, 0, "second"), 2);
    EXPECT_EQ(addButton(panel, 750, 550, 100, 10, "one"), 1);
    EXPECT_EQ(addButton(panel, 10, 20, 30, 40, "two"), 2);
    EXPECT_EQ(addLabel(panel, 5, 6, 40, 0, "third"), 3);

    ASSERT_NE(labelAt(panel, 2), nullptr);
    EXPECT_EQ(labelAt(panel, 0)->text, "first");
    EXPECT_EQ(labelAt(panel, 2)->text, "third");
    EXPECT_EQ(labelAt(panel, 2)->id, 3);
    ASSERT_NE(panel.buttons->next, nullptr);
    EXPECT_EQ(panel.buttons->caption, "one");
    EXPECT_EQ(panel.buttons->next->caption, "two");
    EXPECT_EQ(panel.buttons->next->id, 2);
}

TEST(PanelLists, LabelKeepsItsOwnCopyOfTheText) {
    WidgetPanel panel;
    std::string text = "Hinweis";
    addLabel(panel, 0, 0, 40, 0, text);
    text[0] = 'X';
    EXPECT_EQ(panel.labels->text, "Hinweis");
}

TEST(PanelUpdate, KeepValuesChangeNothing) {
    WidgetPanel panel;
    addLabel(panel, 650, 20, 40, 1, "text");
    updateLabel(panel, 1, KeepNumber, KeepNumber, KeepNumber, KeepStrike, KeepText);
    const TextLabel& l = *panel.labels;
    EXPECT_EQ(l.x, 650);
    EXPECT_EQ(l.y, 20);
    EXPECT_EQ(l.charsPerLine, 40);
    EXPECT_EQ(l.struck, 1);
    EXPECT_EQ(l.text, "text");
}

TEST(PanelUpdate, EmptyTextReplacesAndOnlyExactKeepByteKeeps) {
    WidgetPanel panel;
    addLabel(panel, 650, 20, 40, 0, "text");
    updateLabel(panel, 1, KeepNumber, KeepNumber, KeepNumber, KeepStrike, "");
    EXPECT_EQ(panel.labels->text, "");
    EXPECT_EQ(panel.labels->x, 650);

    updateLabel(panel, 1, KeepNumber, KeepNumber, KeepNumber, KeepStrike, std::string("\xff\xff"));
    EXPECT_EQ(panel.labels->text, "\xff\xff");
}

TEST(PanelUpdate, EachFieldIsReplacedUnlessKept) {
    WidgetPanel panel;
    addLabel(panel, 1, 2, 3, 0, "a");
    addLabel(panel, 10, 20, 30, 0, "b");
    updateLabel(panel, 2, 11, KeepNumber, 0, 1, KeepText);
    const TextLabel& second = *labelAt(panel, 1);
    EXPECT_EQ(second.x, 11);
    EXPECT_EQ(second.y, 20);
    EXPECT_EQ(second.charsPerLine, 0);
    EXPECT_EQ(second.struck, 1);
    EXPECT_EQ(second.text, "b");
    EXPECT_EQ(panel.labels->struck, 0) << "other labels untouched";

    addButton(panel, 750, 550, 100, 10, "cap");
    updateButton(panel, 1, KeepNumber, 560, KeepNumber, 20, "new");
    EXPECT_EQ(panel.buttons->x, 750);
    EXPECT_EQ(panel.buttons->y, 560);
    EXPECT_EQ(panel.buttons->width, 100);
    EXPECT_EQ(panel.buttons->height, 20);
    EXPECT_EQ(panel.buttons->caption, "new");
}

TEST(PanelUpdate, UnknownIdOrEmptyListChangesNothing) {
    WidgetPanel panel;
    updateLabel(panel, 1, 5, 5, 5, 1, "x");
    updateButton(panel, 1, 5, 5, 5, 5, "x");
    EXPECT_EQ(panel.labels, nullptr);
    EXPECT_EQ(panel.buttons, nullptr);

    addLabel(panel, 1, 2, 3, 0, "a");
    updateLabel(panel, 2, 5, 5, 5, 1, "x");
    updateLabel(panel, 0, 5, 5, 5, 1, "x");
    EXPECT_EQ(panel.labels->x, 1);
    EXPECT_EQ(panel.labels->text, "a");
}

TEST(PanelHitTest, LeftAndTopEdgesOutsideRightAndBottomInside) {
    WidgetPanel panel;
    EXPECT_EQ(buttonAt(panel, 800, 555), 0) << "empty list";
    addButton(panel, 750, 550, 100, 10, "Neues R\x84tsel");
    EXPECT_EQ(buttonAt(panel, 750, 555), 0);
    EXPECT_EQ(buttonAt(panel, 800, 550), 0);
    EXPECT_EQ(buttonAt(panel, 751, 551), 1);
    EXPECT_EQ(buttonAt(panel, 850, 560), 1);
    EXPECT_EQ(buttonAt(panel, 800, 555), 1);
    EXPECT_EQ(buttonAt(panel, 851, 555), 0);
    EXPECT_EQ(buttonAt(panel, 800, 561), 0);
}

TEST(PanelHitTest, FirstMatchingButtonInListOrderWins) {
    WidgetPanel panel;
    addButton(panel, 0, 0, 10, 10, "a");
    addButton(panel, 0, 0, 100, 100, "b");
    EXPECT_EQ(buttonAt(panel, 5, 5), 1);
    EXPECT_EQ(buttonAt(panel, 50, 50), 2);
}

TEST(PanelLifetime, VeryLongListsAreReleasedWithoutDeepRecursion) {
    constexpr int Count = 2'000'000;
    WidgetPanel panel;
    // Linked by hand: appending walks the list, which would make this quadratic.
    TextLabel* tail = nullptr;
    Button* lastButton = nullptr;
    for (int i = 1; i <= Count; ++i) {
        auto label = std::make_unique<TextLabel>();
        label->id = i;
        auto button = std::make_unique<Button>();
        button->id = i;
        if (tail == nullptr) {
            panel.labels = std::move(label);
            tail = panel.labels.get();
            panel.buttons = std::move(button);
            lastButton = panel.buttons.get();
        } else {
            tail->next = std::move(label);
            tail = tail->next.get();
            lastButton->next = std::move(button);
            lastButton = lastButton->next.get();
        }
    }
    WidgetPanel moved = std::move(panel);
    EXPECT_EQ(panel.labels, nullptr);
    moved = WidgetPanel();
    EXPECT_EQ(moved.labels, nullptr);
    EXPECT_EQ(addLabel(moved, 0, 0, 1, 0, "a"), 1);
}

}  // namespace
