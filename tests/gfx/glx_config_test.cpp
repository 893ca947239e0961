#include <vector>

#include <gtest/gtest.h>

#if defined(LETTERMOOR_HAVE_GLX)
#include "gfx/drivers/glx_config.hpp"

namespace {

using gfx::glx::pickConfig;

TEST(GlxConfigChoice, ExactChannelsThenRootDepthAndNeverTooFewBits) {
    const std::vector<gfx::glx::ConfigTraits> configs = {
        {10, 10, 10, 30}, {8, 8, 8, 32}, {8, 8, 8, 24}, {5, 6, 5, 16}};
    EXPECT_EQ(pickConfig(configs, 32, 24), 2);
    EXPECT_EQ(pickConfig({{10, 10, 10, 24}, {8, 8, 8, 32}}, 32, 24), 1);
    EXPECT_EQ(pickConfig(configs, 16, 24), 3);
    EXPECT_EQ(pickConfig({{4, 4, 4, 12}, {8, 8, 8, 24}}, 16, 24), 1);  // nothing smaller
    EXPECT_EQ(pickConfig({{5, 6, 5, 16}, {4, 4, 4, 12}}, 32, 24), -1);
    EXPECT_EQ(pickConfig({}, 16, 24), -1);
}

}  // namespace

#endif
