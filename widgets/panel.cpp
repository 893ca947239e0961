#include "widgets/panel.hpp"

#include <utility>

namespace widgets {
namespace {

// Unlinks each node before it dies, so destruction never recurses down the list.
template <typename Node>
void releaseList(std::unique_ptr<Node>& head) {
    while (head) head = std::move(head->next);
}

template <typename Node>
std::int32_t append(std::unique_ptr<Node>& head, std::unique_ptr<Node> node) {
    if (!head) {
        node->id = 1;
        head = std::move(node);
        return 1;
    }
    Node* tail = head.get();
    while (tail->next) tail = tail->next.get();
    node->id = tail->id + 1;
    tail->next = std::move(node);
    return tail->next->id;
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

void keepOrSetText(std::string& field, std::string_view value) {
    if (value != KeepText) field.assign(value);
}

}  // namespace

WidgetPanel& WidgetPanel::operator=(WidgetPanel&& other) noexcept {
    if (this != &other) {
        clearPanel(*this);
        buttons = std::move(other.buttons);
        labels = std::move(other.labels);
    }
    return *this;
}

WidgetPanel::~WidgetPanel() {
    clearPanel(*this);
}

void clearPanel(WidgetPanel& panel) {
    releaseList(panel.buttons);
    releaseList(panel.labels);
}

std::int32_t addLabel(WidgetPanel& panel, std::int32_t x, std::int32_t y, std::int32_t charsPerLine,
                      std::int32_t struck, std::string_view text) {
    auto label = std::make_unique<TextLabel>();
    label->x = x;
    label->y = y;
    label->charsPerLine = charsPerLine;
    label->struck = struck;
    label->text.assign(text);
    return append(panel.labels, std::move(label));
}

std::int32_t addButton(WidgetPanel& panel, std::int32_t x, std::int32_t y, std::int32_t width,
                       std::int32_t height, std::string_view caption) {
    auto button = std::make_unique<Button>();
    button->x = x;
    button->y = y;
    button->width = width;
    button->height = height;
    button->caption.assign(caption);
    return append(panel.buttons, std::move(button));
}

void updateLabel(WidgetPanel& panel, std::int32_t id, std::int32_t x, std::int32_t y,
                 std::int32_t charsPerLine, std::int32_t struck, std::string_view text) {
    TextLabel* label = findById(panel.labels, id);
    if (label == nullptr) return;
    keepOrSet(label->x, x, KeepNumber);
    keepOrSet(label->y, y, KeepNumber);
    keepOrSet(label->charsPerLine, charsPerLine, KeepNumber);
    keepOrSet(label->struck, struck, KeepStrike);
    keepOrSetText(label->text, text);
}

void updateButton(WidgetPanel& panel, std::int32_t id, std::int32_t x, std::int32_t y,
                  std::int32_t width, std::int32_t height, std::string_view caption) {
    Button* button = findById(panel.buttons, id);
    if (button == nullptr) return;
    keepOrSet(button->x, x, KeepNumber);
    keepOrSet(button->y, y, KeepNumber);
    keepOrSet(button->width, width, KeepNumber);
    keepOrSet(button->height, height, KeepNumber);
    keepOrSetText(button->caption, caption);
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
