#include <cstdlib>
#include <vector>

#include "bmp_writer.hpp"
#include "game_fixture.hpp"

namespace {

using testing_support::GameTest;

std::uint32_t fnv1a(const std::vector<std::uint32_t>& pixels) {
    std::uint32_t hash = 2166136261u;
    for (std::uint32_t pixel : pixels)
        for (int i = 0; i < 4; ++i) {
            hash ^= (pixel >> (8 * i)) & 0xFFu;
            hash *= 16777619u;
        }
    return hash;
}

// A whole frame for a fixed seed and word list: one word found, one cell
// pending. Set LETTERMOOR_WRITE_FRAME=<path.bmp> to look at it.
TEST_F(GameTest, GoldenFrame) {
    testing_support::writeWordFile(folder() / "woerter.txt",
                                   "Tipp:", testing_support::elevenWords());
    start(20240611.0);
    findWord(6);
    clickCell(game().puzzle.words[2].first);
    const std::vector<std::uint32_t> pixels = framePixels();
    if (const char* path = std::getenv("LETTERMOOR_WRITE_FRAME")) {
        EXPECT_TRUE(testing_support::writeBmp(path, 1000, 600, pixels, 32));
    }
    EXPECT_EQ(fnv1a(pixels), 2489171553u);
}

}  // namespace
