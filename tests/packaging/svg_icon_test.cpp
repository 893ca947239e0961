#include "data/icon/svg_icon.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string svg(const std::string& body) {
    return R"(<?xml version="1.0"?><svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 10 10">)" +
           body + "</svg>";
}

icon::Picture parsed(const std::string& text) {
    icon::Picture picture;
    std::string error;
    EXPECT_TRUE(icon::parseSvg(text, picture, error)) << error;
    return picture;
}

std::uint32_t pixel(const std::vector<std::uint32_t>& pixels, int size, int x, int y) {
    return pixels[static_cast<std::size_t>(y) * size + x];
}

constexpr const char* Stroke =
    R"(fill="none" stroke="#0000ff" stroke-width="2" stroke-linecap="round" stroke-linejoin="round")";

TEST(SvgIcon, RefusesWhatItCannotDraw) {
    // An unknown element, a named colour, a missing size, a butt cap, an odd
    // point list, a moved view box and no svg root.
    const std::string cases[] = {
        "<svg viewBox=\"0 0 10 10\"><circle cx=\"5\" cy=\"5\" r=\"2\" fill=\"#ffffff\"/></svg>",
        svg(R"(<rect x="0" y="0" width="5" height="5" fill="red"/>)"),
        svg(R"(<rect x="0" y="0" width="5" fill="#ff0000"/>)"),
        svg(R"(<polyline points="1,1 5,5" fill="none" stroke="#000000" stroke-width="2" stroke-linecap="butt" stroke-linejoin="round"/>)"),
        svg(std::string("<polyline points=\"1,1 5\" ") + Stroke + "/>"),
        "<svg viewBox=\"1 0 10 10\"></svg>",
        "<rect x=\"0\" y=\"0\" width=\"5\" height=\"5\" fill=\"#ff0000\"/>",
    };
    for (const std::string& text : cases) {
        icon::Picture picture;
        std::string error;
        EXPECT_FALSE(icon::parseSvg(text, picture, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

// Rendered 10 pixels wide with the given oversampling.
std::vector<std::uint32_t> drawn(const std::string& body, int samples) {
    return icon::render(parsed(svg(body)), 10, samples);
}

bool partial(std::uint32_t pixel) {
    return pixel >> 24 > 0 && pixel >> 24 < 0xFF;
}

TEST(SvgIcon, BoxesCoverTheirAreaAndLaterShapesPaintOver) {
    const auto pixels = drawn(
        R"(<!-- a comment with <angles> --><rect x="0" y="0" width="10" height="5" fill="#ff0000"/>)"
        R"(<rect x="5" y="0" width="5" height="5" fill="#00ff00"/>)",
        4);
    EXPECT_EQ(pixel(pixels, 10, 4, 4), 0xFFFF0000u);
    EXPECT_EQ(pixel(pixels, 10, 5, 0), 0xFF00FF00u);
    EXPECT_EQ(pixel(pixels, 10, 9, 4), 0xFF00FF00u);
    EXPECT_EQ(pixel(pixels, 10, 0, 5), 0x00000000u);
}

TEST(SvgIcon, EdgesRoundedCornersAndStrokeCapsArePartlyCovered) {
    // A box ending halfway through pixel column 2, and a corner radius that
    // cuts the corner pixel of a 10x10 box.
    EXPECT_EQ(
        pixel(drawn(R"(<rect x="0" y="0" width="2.5" height="10" fill="#ffffff"/>)", 4), 10, 2, 5),
        0x80FFFFFFu);
    const auto rounded =
        drawn(R"(<rect x="0" y="0" width="10" height="10" rx="4" fill="#ffffff"/>)", 8);
    EXPECT_EQ(pixel(rounded, 10, 0, 0) >> 24, 0u);
    EXPECT_EQ(pixel(rounded, 10, 5, 0) >> 24, 0xFFu);
    EXPECT_TRUE(partial(pixel(rounded, 10, 1, 1)));

    const auto pixels = drawn(std::string(R"(<polyline points="2,5 8,5 8,9" )") + Stroke + "/>", 8);
    EXPECT_EQ(pixel(pixels, 10, 4, 4), 0xFF0000FFu);  // on the line, one unit wide each side
    EXPECT_EQ(pixel(pixels, 10, 4, 2), 0u);           // beyond the half width
    // The cap is a half disc: it covers part of the pixel before the line's
    // end, where a square cap would cover all and a butt cap none.
    EXPECT_TRUE(partial(pixel(pixels, 10, 1, 4)));
    EXPECT_EQ(pixel(pixels, 10, 0, 4), 0u);
    EXPECT_EQ(pixel(pixels, 10, 7, 7), 0xFF0000FFu);  // second segment
    EXPECT_EQ(pixel(pixels, 10, 4, 8), 0u);
}

TEST(SvgIcon, TheGameIconIsAGridWithOneGreenWord) {
    std::ifstream in(LETTERMOOR_ICON_SVG);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const icon::Picture picture = parsed(text);
    EXPECT_EQ(picture.width, 256);
    int cells = 0;
    int greenCells = 0;
    for (const icon::Shape& shape : picture.shapes) {
        if (shape.kind != icon::Shape::Kind::RoundedBox || shape.width > 100) continue;
        ++cells;
        const std::uint32_t g = (shape.rgb >> 8) & 0xFF;
        greenCells += g > 2 * (shape.rgb >> 16) && g > 2 * (shape.rgb & 0xFF);
    }
    EXPECT_EQ(cells, 9);
    EXPECT_EQ(greenCells, 3);
    // Transparent corners, an opaque middle.
    const auto pixels = icon::render(picture, 48);
    EXPECT_EQ(pixel(pixels, 48, 0, 0) >> 24, 0u);
    EXPECT_EQ(pixel(pixels, 48, 24, 24) >> 24, 0xFFu);
}

}  // namespace
