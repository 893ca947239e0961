#include "data/icon/svg_icon.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace icon {
namespace {

using Attributes = std::map<std::string, std::string>;

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == ':';
}

// name="value" pairs, separated by white space.
Attributes readAttributes(std::string_view text) {
    Attributes result;
    std::size_t at = 0;
    while (at < text.size()) {
        if (!isNameChar(text[at])) {
            ++at;
            continue;
        }
        const std::size_t nameStart = at;
        while (at < text.size() && isNameChar(text[at])) ++at;
        const std::string name(text.substr(nameStart, at - nameStart));
        if (at + 1 >= text.size() || text[at] != '=' || text[at + 1] != '"') continue;
        const std::size_t valueStart = at + 2;
        const std::size_t valueEnd = text.find('"', valueStart);
        if (valueEnd == std::string_view::npos) break;
        result[name] = std::string(text.substr(valueStart, valueEnd - valueStart));
        at = valueEnd + 1;
    }
    return result;
}

bool readNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0';
}

bool readColor(const std::string& text, std::uint32_t& rgb) {
    if (text.size() != 7 || text[0] != '#') return false;
    char* end = nullptr;
    rgb = static_cast<std::uint32_t>(std::strtoul(text.c_str() + 1, &end, 16));
    return *end == '\0';
}

bool need(const Attributes& a, const char* name, std::string& value, std::string& error) {
    const auto it = a.find(name);
    if (it == a.end()) {
        error = std::string("missing attribute ") + name;
        return false;
    }
    value = it->second;
    return true;
}

bool needNumber(const Attributes& a, const char* name, double& value, std::string& error) {
    std::string text;
    if (!need(a, name, text, error)) return false;
    if (readNumber(text, value)) return true;
    error = std::string("attribute ") + name + " is not a number: " + text;
    return false;
}

bool readBox(const Attributes& a, Shape& shape, std::string& error) {
    shape.kind = Shape::Kind::RoundedBox;
    std::string fill;
    if (!needNumber(a, "x", shape.x, error) || !needNumber(a, "y", shape.y, error) ||
        !needNumber(a, "width", shape.width, error) ||
        !needNumber(a, "height", shape.height, error) || !need(a, "fill", fill, error)) {
        return false;
    }
    if (a.count("rx") != 0 && !needNumber(a, "rx", shape.radius, error)) return false;
    shape.radius = std::min({shape.radius, shape.width / 2, shape.height / 2});
    if (!readColor(fill, shape.rgb)) {
        error = "rect fill must be #rrggbb: " + fill;
        return false;
    }
    return true;
}

bool readStroke(const Attributes& a, Shape& shape, std::string& error) {
    shape.kind = Shape::Kind::Stroke;
    std::string points;
    std::string stroke;
    std::string fill;
    std::string cap;
    std::string join;
    double width = 0;
    if (!need(a, "points", points, error) || !need(a, "stroke", stroke, error) ||
        !needNumber(a, "stroke-width", width, error) || !need(a, "fill", fill, error) ||
        !need(a, "stroke-linecap", cap, error) || !need(a, "stroke-linejoin", join, error)) {
        return false;
    }
    if (fill != "none" || cap != "round" || join != "round") {
        error = "polyline needs fill none and round caps and joins";
        return false;
    }
    if (!readColor(stroke, shape.rgb)) {
        error = "polyline stroke must be #rrggbb: " + stroke;
        return false;
    }
    shape.halfWidth = width / 2;
    std::string numbers = points;
    std::replace(numbers.begin(), numbers.end(), ',', ' ');
    const char* at = numbers.c_str();
    for (;;) {
        char* end = nullptr;
        const double x = std::strtod(at, &end);
        if (end == at) break;
        at = end;
        const double y = std::strtod(at, &end);
        if (end == at) {
            error = "polyline points come in pairs: " + points;
            return false;
        }
        at = end;
        shape.points.push_back({x, y});
    }
    while (std::isspace(static_cast<unsigned char>(*at)) != 0) ++at;
    if (*at != '\0') {
        error = "polyline points are not numbers: " + points;
        return false;
    }
    if (shape.points.empty()) {
        error = "polyline without points";
        return false;
    }
    return true;
}

bool readSvgElement(const Attributes& a, Picture& picture, std::string& error) {
    std::string viewBox;
    if (!need(a, "viewBox", viewBox, error)) return false;
    double left = 1;
    double top = 1;
    if (std::sscanf(viewBox.c_str(), "%lf %lf %lf %lf", &left, &top, &picture.width,
                    &picture.height) != 4 ||
        left != 0 || top != 0 || picture.width <= 0 || picture.height <= 0) {
        error = "viewBox must be 0 0 W H: " + viewBox;
        return false;
    }
    return true;
}

bool insideBox(const Shape& s, double x, double y) {
    if (x < s.x || y < s.y || x > s.x + s.width || y > s.y + s.height) return false;
    const double cx = std::clamp(x, s.x + s.radius, s.x + s.width - s.radius);
    const double cy = std::clamp(y, s.y + s.radius, s.y + s.height - s.radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= s.radius * s.radius;
}

// Round caps and joins make the stroke the union of one capsule per segment.
bool insideStroke(const Shape& s, double x, double y) {
    const double limit = s.halfWidth * s.halfWidth;
    for (std::size_t i = 0; i < s.points.size(); ++i) {
        const Point a = s.points[i];
        const Point b = s.points[i + 1 < s.points.size() ? i + 1 : i];
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        const double length = dx * dx + dy * dy;
        double t = length > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / length : 0;
        t = std::clamp(t, 0.0, 1.0);
        const double ex = x - (a.x + t * dx);
        const double ey = y - (a.y + t * dy);
        if (ex * ex + ey * ey <= limit) return true;
    }
    return false;
}

bool inside(const Shape& s, double x, double y) {
    return s.kind == Shape::Kind::RoundedBox ? insideBox(s, x, y) : insideStroke(s, x, y);
}

}  // namespace

bool parseSvg(std::string_view text, Picture& picture, std::string& error) {
    picture = Picture{};
    bool sawSvg = false;
    std::size_t at = 0;
    while ((at = text.find('<', at)) != std::string_view::npos) {
        const std::string_view rest = text.substr(at + 1);
        const std::string_view closing = rest.starts_with("!--") ? "-->" : ">";
        const std::size_t end = rest.find(closing);
        if (end == std::string_view::npos) {
            error = "unterminated tag";
            return false;
        }
        at += 1 + end + closing.size();
        if (rest.starts_with("!--") || rest.starts_with("?") || rest.starts_with("/svg")) continue;
        std::size_t nameLength = 0;
        while (nameLength < end && std::isalpha(static_cast<unsigned char>(rest[nameLength])) != 0)
            ++nameLength;
        const std::string name(rest.substr(0, nameLength));
        const Attributes attributes = readAttributes(rest.substr(nameLength, end - nameLength));
        Shape shape;
        if (name == "svg") {
            if (!readSvgElement(attributes, picture, error)) return false;
            sawSvg = true;
            continue;
        }
        if (name == "rect") {
            if (!readBox(attributes, shape, error)) return false;
        } else if (name == "polyline") {
            if (!readStroke(attributes, shape, error)) return false;
        } else {
            error = "element <" + std::string(rest.substr(0, std::min<std::size_t>(end, 20))) +
                    "> is not understood";
            return false;
        }
        picture.shapes.push_back(std::move(shape));
    }
    if (!sawSvg) error = "no <svg> element";
    return sawSvg;
}

std::vector<std::uint32_t> render(const Picture& picture, int size, int samples) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size, 0);
    const double scaleX = picture.width / size;
    const double scaleY = picture.height / size;
    const int total = samples * samples;
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            int covered = 0;
            std::uint32_t sums[3] = {0, 0, 0};
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const double x = (px + (sx + 0.5) / samples) * scaleX;
                    const double y = (py + (sy + 0.5) / samples) * scaleY;
                    const Shape* top = nullptr;
                    for (const Shape& shape : picture.shapes) {
                        if (inside(shape, x, y)) top = &shape;
                    }
                    if (top == nullptr) continue;
                    ++covered;
                    sums[0] += (top->rgb >> 16) & 0xFF;
                    sums[1] += (top->rgb >> 8) & 0xFF;
                    sums[2] += top->rgb & 0xFF;
                }
            }
            if (covered == 0) continue;
            auto average = [covered](std::uint32_t sum) { return (sum + covered / 2) / covered; };
            const std::uint32_t alpha = (255u * covered + total / 2) / total;
            pixels[static_cast<std::size_t>(py) * size + px] =
                alpha << 24 | average(sums[0]) << 16 | average(sums[1]) << 8 | average(sums[2]);
        }
    }
    return pixels;
}

}  // namespace icon
