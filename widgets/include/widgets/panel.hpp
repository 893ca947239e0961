#pragma once
// The widget panel: text labels and framed buttons in two singly linked
// lists, numbered from 1 in insertion order.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace widgets {

inline constexpr std::int32_t KeepNumber = -1;
inline constexpr std::int32_t KeepStrike = 2;
inline constexpr std::string_view KeepText{"\xff", 1};

struct TextLabel {
    std::int32_t id = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t charsPerLine = 1;
    std::int32_t struck = 0;
    std::string text;
    std::unique_ptr<TextLabel> next;
};

struct Button {
    std::int32_t id = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::string caption;
    std::unique_ptr<Button> next;
};

struct WidgetPanel {
    std::unique_ptr<Button> buttons;
    std::unique_ptr<TextLabel> labels;

    WidgetPanel() = default;
    WidgetPanel(const WidgetPanel&) = delete;
    WidgetPanel& operator=(const WidgetPanel&) = delete;
    // Releases both lists node by node, so a long list cannot exhaust the stack.
    ~WidgetPanel();
};

std::int32_t addLabel(WidgetPanel& panel, std::int32_t x, std::int32_t y, std::int32_t charsPerLine,
                      std::int32_t struck, std::string_view text);
std::int32_t addButton(WidgetPanel& panel, std::int32_t x, std::int32_t y, std::int32_t width,
                       std::int32_t height, std::string_view caption);
void updateLabel(WidgetPanel& panel, std::int32_t id, std::int32_t x, std::int32_t y,
                 std::int32_t charsPerLine, std::int32_t struck, std::string_view text);
void updateButton(WidgetPanel& panel, std::int32_t id, std::int32_t x, std::int32_t y,
                  std::int32_t width, std::int32_t height, std::string_view caption);
void drawWidgets(const WidgetPanel& panel);
std::int32_t buttonAt(const WidgetPanel& panel, std::int32_t px, std::int32_t py);

}  // namespace widgets
