#include "gfx/window_icon.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace {

using gfx::IconImage;

// Every size in order reaches the window in tests/x11 (x11_icon_test).
TEST(WindowIcon, KeepsCopiesRefusesMalformedSizesWholeAndAnEmptyListClearsIt) {
    std::vector<std::uint32_t> wide(3, 0xFF112233u);
    const IconImage sizes[] = {{wide.data(), 3, 1}};
    ASSERT_TRUE(gfx::setWindowIcon(sizes));
    wide.assign(wide.size(), 0);  // the runtime must not point into the caller's pixels
    ASSERT_EQ(gfx::windowIcon().size(), 1u);
    EXPECT_EQ(std::pair(gfx::windowIcon()[0].width, gfx::windowIcon()[0].height), std::pair(3, 1));
    EXPECT_EQ(gfx::windowIcon()[0].argb, std::vector<std::uint32_t>(3, 0xFF112233u));

    const std::vector<std::uint32_t> pixels(std::size_t{1025} * 2, 0xFFFFFFFFu);
    const IconImage good = {pixels.data(), 1024, 2};  // the largest side allowed
    for (const IconImage bad :
         {IconImage{nullptr, 1, 1}, IconImage{pixels.data(), 0, 1}, IconImage{pixels.data(), 1, -1},
          IconImage{pixels.data(), 1025, 1}, IconImage{pixels.data(), 1, 1025}}) {
        const IconImage list[] = {good, bad};  // the good size must not be kept alone
        EXPECT_FALSE(gfx::setWindowIcon(list)) << bad.width << "x" << bad.height;
        ASSERT_EQ(gfx::windowIcon().size(), 1u);
        EXPECT_EQ(gfx::windowIcon()[0].width, 3);  // the icon before stays
    }
    EXPECT_TRUE(gfx::setWindowIcon({&good, 1}));
    ASSERT_TRUE(gfx::setWindowIcon({}));
    EXPECT_TRUE(gfx::windowIcon().empty());
}

}  // namespace
