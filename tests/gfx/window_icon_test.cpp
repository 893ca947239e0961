#include "gfx/window_icon.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

class WindowIcon : public ::testing::Test {
  protected:
    void TearDown() override { static_cast<void>(gfx::setWindowIcon({})); }
};

TEST_F(WindowIcon, KeepsCopiesOfEverySizeInOrder) {
    std::vector<std::uint32_t> small(2 * 2, 0xFF112233u);
    std::vector<std::uint32_t> wide(3 * 1);
    wide = {0x00000000u, 0x80FF0000u, 0xFFFFFFFFu};
    const std::array<gfx::IconImage, 2> sizes = {{{small.data(), 2, 2}, {wide.data(), 3, 1}}};
    ASSERT_TRUE(gfx::setWindowIcon(sizes));
    small.assign(small.size(), 0);  // the runtime must not point into the caller's pixels

    const auto& stored = gfx::windowIcon();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].width, 2);
    EXPECT_EQ(stored[0].height, 2);
    EXPECT_EQ(stored[0].argb, std::vector<std::uint32_t>(4, 0xFF112233u));
    EXPECT_EQ(stored[1].width, 3);
    EXPECT_EQ(stored[1].height, 1);
    EXPECT_EQ(stored[1].argb, wide);

    ASSERT_TRUE(gfx::setWindowIcon({}));
    EXPECT_TRUE(gfx::windowIcon().empty());
}

TEST_F(WindowIcon, RejectsMalformedSizesAndKeepsTheIconBefore) {
    const std::vector<std::uint32_t> pixels(1025 * 2, 0xFFFFFFFFu);
    const std::array<gfx::IconImage, 1> good = {{{pixels.data(), 1, 1}}};
    ASSERT_TRUE(gfx::setWindowIcon(good));

    const std::array<std::array<gfx::IconImage, 2>, 5> bad = {{
        {{{pixels.data(), 1, 1}, {nullptr, 1, 1}}},
        {{{pixels.data(), 1, 1}, {pixels.data(), 0, 1}}},
        {{{pixels.data(), 1, 1}, {pixels.data(), 1, -1}}},
        {{{pixels.data(), 1, 1}, {pixels.data(), 1025, 1}}},
        {{{pixels.data(), 1, 1}, {pixels.data(), 1, 1025}}},
    }};
    for (const auto& sizes : bad) {
        EXPECT_FALSE(gfx::setWindowIcon(sizes));
        ASSERT_EQ(gfx::windowIcon().size(), 1u);
        EXPECT_EQ(gfx::windowIcon()[0].width, 1);
    }
}

}  // namespace
