#include "widgets/panel.hpp"

#include <cstddef>
#include <utility>

#include "gfx/color.hpp"
#include "gfx/line.hpp"
#include "gfx/text.hpp"

namespace widgets {
namespace {

constexpr std::int32_t LinePitch = 10;
constexpr std::int32_t StrikeOffset = 4;
constexpr std::int32_t GlyphWidth = 8;
constexpr std::uint32_t SolidStyle = 0xFFFF;
constexpr std::uint32_t AbsoluteExplicitColor = 4;

// Unlinks each node before it dies, so destruction never recurses down the list.
template <typename Node>
void releaseList(std::unique_ptr<Node>& head) {
    while (head) head = std::move(head->next);
}

template <typename Node>
std::int32_t append(std::unique_ptr<Node>& head, std::unique_ptr<Node> node) {
    std::unique_ptr<Node>* link = &head;
    node->id = 1;
    for (; *link; link = &(*link)->next) node->id = (*link)->id + 1;
    *link = std::move(node);
    return (*link)->id;
}

template <typename Node>
Node* findById(const std::unique_ptr<Node>& head, std::int32_t id) {
    for (Node* node = head.get(); node != nullptr; node = node->next.get()) {
        if (node->id == id) return node;
    }
    return nullptr;
}

void keepOrSet(std::int32_t& field, std::int32_t value, std::int32_t keep) {
    if (value != keep) field = value;
}

float at(std::int64_t v) {
    return static_cast<float>(v);
}

void drawLabel(const TextLabel& label) {
    // A label without room for one character per line has nothing it could show.
    if (label.charsPerLine < 1) return;
    const std::size_t perLine = static_cast<std::size_t>(label.charsPerLine);
    const std::string_view text = label.text;
    std::int64_t top = label.y;
    for (std::size_t start = 0; start < text.size(); start += perLine, top += LinePitch) {
        gfx::drawText(nullptr, at(label.x), at(top), AbsoluteExplicitColor,
                      text.substr(start, perLine), gfx::Black);
        if (label.struck == 1) {
            const std::int64_t strikeY = top + StrikeOffset;
            const std::int64_t right =
                std::int64_t{label.x} + GlyphWidth * std::int64_t{label.charsPerLine};
            gfx::drawLine(nullptr, at(label.x), at(strikeY), at(right), at(strikeY), gfx::Black,
                          gfx::Line, SolidStyle, 0);
        }
    }
}

void drawButton(const Button& button) {
    gfx::drawLine(nullptr, at(button.x), at(button.y), at(std::int64_t{button.x} + button.width),
                  at(std::int64_t{button.y} + button.height), gfx::Black, gfx::Box, SolidStyle, 0);
    gfx::drawText(nullptr, at(std::int64_t{button.x} + 2), at(std::int64_t{button.y} + 2),
                  AbsoluteExplicitColor, button.caption, gfx::Black);
}

}  // namespace

WidgetPanel::~WidgetPanel() {
    releaseList(buttons);
    releaseList(labels);
}

std::int32_t addLabel(WidgetPanel& panel, std::int32_t x, std::int32_t y, std::int32_t charsPerLine,
                      std::int32_t struck, std::string_view text) {
    return append(panel.labels, std::make_unique<TextLabel>(TextLabel{.x = x,
                                                                      .y = y,
                                                                      .charsPerLine = charsPerLine,
                                                                      .struck = struck,
                                                                      .text = std::string(text),
                                                                      .next = nullptr}));
}

std::int32_t addButton(WidgetPanel& panel, std::int32_t x, std::int32_t y, std::int32_t width,
                       std::int32_t height, std::string_view caption) {
    return append(panel.buttons, std::make_unique<Button>(Button{.x = x,
                                                                 .y = y,
                                                                 .width = width,
                                                                 .height = height,
                                                                 .caption = std::string(caption),
                                                                 .next = nullptr}));
}

void updateLabel(WidgetPanel& panel, std::int32_t id, std::int32_t x, std::int32_t y,
                 std::int32_t charsPerLine, std::int32_t struck, std::string_view text) {
    TextLabel* label = findById(panel.labels, id);
    if (label == nullptr) return;
    keepOrSet(label->x, x, KeepNumber);
    keepOrSet(label->y, y, KeepNumber);
    keepOrSet(label->charsPerLine, charsPerLine, KeepNumber);
    keepOrSet(label->struck, struck, KeepStrike);
    if (text != KeepText) label->text.assign(text);
}

// The game never moves or renames its button; the panel offers it all the same.
void updateButton(WidgetPanel& panel, std::int32_t id, std::int32_t x, std::int32_t y,
                  std::int32_t width, std::int32_t height, std::string_view caption) {
    Button* button = findById(panel.buttons, id);
    if (button == nullptr) return;
    keepOrSet(button->x, x, KeepNumber);
    keepOrSet(button->y, y, KeepNumber);
    keepOrSet(button->width, width, KeepNumber);
    keepOrSet(button->height, height, KeepNumber);
    if (caption != KeepText) button->caption.assign(caption);
}

void drawWidgets(const WidgetPanel& panel) {
    for (const TextLabel* l = panel.labels.get(); l != nullptr; l = l->next.get()) drawLabel(*l);
    for (const Button* b = panel.buttons.get(); b != nullptr; b = b->next.get()) drawButton(*b);
}

std::int32_t buttonAt(const WidgetPanel& panel, std::int32_t px, std::int32_t py) {
    for (const Button* b = panel.buttons.get(); b != nullptr; b = b->next.get()) {
        // Widened so a frame near the integer limits cannot overflow its far edge.
        const std::int64_t right = std::int64_t{b->x} + b->width;
        const std::int64_t bottom = std::int64_t{b->y} + b->height;
        if (b->x < px && px <= right && b->y < py && py <= bottom) return b->id;
    }
    return 0;
}

}  // namespace widgets
