#include <cstddef>

#include "gfx/color.hpp"
#include "gfx/line.hpp"
#include "gfx/text.hpp"
#include "widgets/panel.hpp"

namespace widgets {
namespace {

constexpr std::int32_t LinePitch = 10;
constexpr std::int32_t StrikeOffset = 4;
constexpr std::int32_t GlyphWidth = 8;
constexpr std::uint32_t SolidStyle = 0xFFFF;
constexpr std::uint32_t AbsoluteExplicitColor = 4;

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

void drawWidgets(const WidgetPanel& panel) {
    for (const TextLabel* l = panel.labels.get(); l != nullptr; l = l->next.get()) drawLabel(*l);
    for (const Button* b = panel.buttons.get(); b != nullptr; b = b->next.get()) drawButton(*b);
}

}  // namespace widgets
