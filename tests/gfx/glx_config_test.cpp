#include <gtest/gtest.h>

#if defined(LETTERMOOR_HAVE_GLX)
#include "gfx/drivers/glx_config.hpp"

namespace {

using gfx::glx::ConfigTraits;
using gfx::glx::pickConfig;

TEST(GlxConfigChoice, ExactChannelsOnTheRootDepthWin) {
    const std::vector<ConfigTraits> configs = {
        {10, 10, 10, 30}, {8, 8, 8, 32}, {8, 8, 8, 24}, {5, 6, 5, 16}};
    EXPECT_EQ(pickConfig(configs, 32, 24), 2);
    // With no exact match on the root depth, exact channels still beat larger ones.
    EXPECT_EQ(pickConfig({{10, 10, 10, 24}, {8, 8, 8, 32}}, 32, 24), 1);
    // A 16-bit screen takes 5-6-5 where it exists, whatever the root depth.
    EXPECT_EQ(pickConfig(configs, 16, 24), 3);
}

TEST(GlxConfigChoice, TooFewBitsAreNeverChosen) {
    EXPECT_EQ(pickConfig({{5, 6, 5, 16}, {4, 4, 4, 12}}, 32, 24), -1);
    EXPECT_EQ(pickConfig({}, 16, 24), -1);
    // A 16-bit screen settles for 8-8-8 where the server has nothing smaller.
    EXPECT_EQ(pickConfig({{4, 4, 4, 12}, {8, 8, 8, 24}}, 16, 24), 1);
}

}  // namespace

#endif
