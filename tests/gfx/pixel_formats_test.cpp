#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gfx/drivers/pixel_formats.hpp"

namespace {

using gfx::pixel_formats::PixelLayout;

// Two frame pixels, a warm orange with alpha and a dark blue, through every
// layout; 16 bits keep the top bits of each channel, least significant byte
// first. Layouts without a converter have no expected bytes.
TEST(PixelFormats, EveryLayoutConvertsOrIsRefused) {
    const std::uint32_t pixels[2] = {0x80FF8040u, 0xFF102030u};
    struct Case {
        const char* what;
        PixelLayout layout;
        std::vector<std::uint8_t> expected;
    };
    const Case cases[] = {
        {"32 RGB",
         {32, 0xFF0000, 0x00FF00, 0x0000FF},
         {0x40, 0x80, 0xFF, 0x80, 0x30, 0x20, 0x10, 0xFF}},
        {"32 BGR", {32, 0x0000FF, 0x00FF00, 0xFF0000}, {0xFF, 0x80, 0x40, 0, 0x10, 0x20, 0x30, 0}},
        {"24 RGB", {24, 0xFF0000, 0x00FF00, 0x0000FF}, {0x40, 0x80, 0xFF, 0x30, 0x20, 0x10}},
        {"24 BGR", {24, 0x0000FF, 0x00FF00, 0xFF0000}, {0xFF, 0x80, 0x40, 0x10, 0x20, 0x30}},
        {"565", {16, 0xF800, 0x07E0, 0x001F}, {0x08, 0xFC, 0x06, 0x11}},
        {"555", {16, 0x7C00, 0x03E0, 0x001F}, {0x08, 0x7E, 0x86, 0x08}},
        {"8 bits", {8, 0, 0, 0}, {}},
        {"10-10-10", {32, 0x3FF00000, 0x000FFC00, 0x000003FF}, {}},
        {"565 BGR", {16, 0x001F, 0x07E0, 0xF800}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gfx::pixel_formats::bytesPerPixel(c.layout) * 2,
                  static_cast<int>(c.expected.size()))
            << c.what;
        const auto converter = gfx::pixel_formats::chooseRowConverter(c.layout);
        ASSERT_EQ(converter == nullptr, c.expected.empty()) << c.what;
        if (converter == nullptr) continue;
        std::vector<std::uint8_t> out(c.expected.size());
        converter(reinterpret_cast<const std::uint8_t*>(pixels), out.data(), 2);
        EXPECT_EQ(out, c.expected) << c.what;
    }
}

}  // namespace
