#include "gfx/window_icon.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace {

using gfx::IconImage;

class WindowIcon : public ::testing::Test {
  protected:
    void TearDown() override { static_cast<void>(gfx::setWindowIcon({})); }
};

TEST_F(WindowIcon, KeepsCopiesOfEverySizeInOrder) {
    std::vector<std::uint32_t> small(std::size_t{2} * 2, 0xFF112233u);
    const std::vector<std::uint32_t> wide = {0x00000000u, 0x80FF0000u, 0xFFFFFFFFu};
    const IconImage sizes[] = {{small.data(), 2, 2}, {wide.data(), 3, 1}};
    ASSERT_TRUE(gfx::setWindowIcon(sizes));
    small.assign(small.size(), 0);  // the runtime must not point into the caller's pixels

    const auto& stored = gfx::windowIcon();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(std::pair(stored[0].width, stored[0].height), std::pair(2, 2));
    EXPECT_EQ(stored[0].argb, std::vector<std::uint32_t>(4, 0xFF112233u));
    EXPECT_EQ(std::pair(stored[1].width, stored[1].height), std::pair(3, 1));
    EXPECT_EQ(stored[1].argb, wide);

    ASSERT_TRUE(gfx::setWindowIcon({}));
    EXPECT_TRUE(gfx::windowIcon().empty());
}

TEST_F(WindowIcon, RejectsMalformedSizesAndKeepsTheIconBefore) {
    const std::vector<std::uint32_t> pixels(std::size_t{1025} * 2, 0xFFFFFFFFu);
    const IconImage good = {pixels.data(), 1024, 2};  // the largest side allowed
    ASSERT_TRUE(gfx::setWindowIcon({&good, 1}));
    for (const IconImage bad :
         {IconImage{nullptr, 1, 1}, IconImage{pixels.data(), 0, 1}, IconImage{pixels.data(), 1, -1},
          IconImage{pixels.data(), 1025, 1}, IconImage{pixels.data(), 1, 1025}}) {
        const IconImage sizes[] = {good, bad};  // a good size first must not be kept alone
        EXPECT_FALSE(gfx::setWindowIcon(sizes)) << bad.width << "x" << bad.height;
        ASSERT_EQ(gfx::windowIcon().size(), 1u);
    }
}

}  // namespace
