#pragma once
// The game's icon as drawn in lettermoor.svg, read and rasterised by the
// build. Only the little SVG the icon needs is understood: rect (with rx)
// filled in #rrggbb, and polyline stroked with round caps and joins.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace icon {

struct Point {
    double x = 0;
    double y = 0;
};

struct Shape {
    enum class Kind { RoundedBox, Stroke };
    Kind kind = Kind::RoundedBox;
    std::uint32_t rgb = 0;  // 0xRRGGBB
    // RoundedBox
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    double radius = 0;
    // Stroke
    std::vector<Point> points;
    double halfWidth = 0;
};

struct Picture {
    double width = 0;  // the view box, from 0,0
    double height = 0;
    std::vector<Shape> shapes;  // painted in order
};

// Reads the SVG text. On anything outside the understood subset returns
// false and says what in `error`.
bool parseSvg(std::string_view text, Picture& picture, std::string& error);

// size x size pixels, 0xAARRGGBB not premultiplied, top row first; every
// pixel averages samples x samples points.
std::vector<std::uint32_t> render(const Picture& picture, int size, int samples = 6);

}  // namespace icon
