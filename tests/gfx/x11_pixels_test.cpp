#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>

#include "gfx/drivers/x11_pixels.hpp"

namespace {

using gfx::x11::chooseRowConverter;
using gfx::x11::VisualLayout;

// Two frame-buffer pixels, 0xAARRGGBB little-endian: a warm orange with
// alpha and a dark blue.
std::array<std::uint8_t, 8> sourceRow() {
    const std::uint32_t pixels[2] = {0x80FF8040u, 0xFF102030u};
    std::array<std::uint8_t, 8> bytes{};
    std::memcpy(bytes.data(), pixels, sizeof pixels);
    return bytes;
}

template <std::size_t N>
std::array<std::uint8_t, N> convert(const VisualLayout& layout) {
    const auto converter = chooseRowConverter(layout);
    std::array<std::uint8_t, N> out{};
    if (converter == nullptr) {
        ADD_FAILURE() << "no converter for " << layout.bitsPerPixel << " bits";
        return out;
    }
    converter(sourceRow().data(), out.data(), 2);
    return out;
}

TEST(X11Pixels, ThirtyTwoBitsInEitherChannelOrder) {
    const auto same = convert<8>({32, 0xFF0000, 0x00FF00, 0x0000FF});
    EXPECT_EQ(same, (std::array<std::uint8_t, 8>{0x40, 0x80, 0xFF, 0x80, 0x30, 0x20, 0x10, 0xFF}));
    const auto swapped = convert<8>({32, 0x0000FF, 0x00FF00, 0xFF0000});
    EXPECT_EQ(swapped, (std::array<std::uint8_t, 8>{0xFF, 0x80, 0x40, 0, 0x10, 0x20, 0x30, 0}));
}

TEST(X11Pixels, PackedTwentyFourBits) {
    const auto same = convert<6>({24, 0xFF0000, 0x00FF00, 0x0000FF});
    EXPECT_EQ(same, (std::array<std::uint8_t, 6>{0x40, 0x80, 0xFF, 0x30, 0x20, 0x10}));
    const auto swapped = convert<6>({24, 0x0000FF, 0x00FF00, 0xFF0000});
    EXPECT_EQ(swapped, (std::array<std::uint8_t, 6>{0xFF, 0x80, 0x40, 0x10, 0x20, 0x30}));
}

TEST(X11Pixels, SixteenAndFifteenBits) {
    // R 0xFF -> 31, G 0x80 -> 32 (6 bits) or 16 (5 bits), B 0x40 -> 8.
    const auto rgb565 = convert<4>({16, 0xF800, 0x07E0, 0x001F});
    const std::uint16_t first565 = (31u << 11) | (32u << 5) | 8u;
    const std::uint16_t second565 = (2u << 11) | (8u << 5) | 6u;
    EXPECT_EQ(rgb565, (std::array<std::uint8_t, 4>{static_cast<std::uint8_t>(first565 & 0xFF),
                                                   static_cast<std::uint8_t>(first565 >> 8),
                                                   static_cast<std::uint8_t>(second565 & 0xFF),
                                                   static_cast<std::uint8_t>(second565 >> 8)}));
    const auto rgb555 = convert<4>({16, 0x7C00, 0x03E0, 0x001F});
    const std::uint16_t first555 = (31u << 10) | (16u << 5) | 8u;
    const std::uint16_t second555 = (2u << 10) | (4u << 5) | 6u;
    EXPECT_EQ(rgb555, (std::array<std::uint8_t, 4>{static_cast<std::uint8_t>(first555 & 0xFF),
                                                   static_cast<std::uint8_t>(first555 >> 8),
                                                   static_cast<std::uint8_t>(second555 & 0xFF),
                                                   static_cast<std::uint8_t>(second555 >> 8)}));
}

TEST(X11Pixels, UnsupportedLayoutsAreRefused) {
    EXPECT_EQ(chooseRowConverter({8, 0, 0, 0}), nullptr);
    EXPECT_EQ(chooseRowConverter({32, 0x3FF00000, 0x000FFC00, 0x000003FF}), nullptr);
    EXPECT_EQ(chooseRowConverter({16, 0x001F, 0x07E0, 0xF800}), nullptr);
    EXPECT_EQ(gfx::x11::bytesPerPixel({24, 0xFF0000, 0x00FF00, 0x0000FF}), 3);
}

}  // namespace
