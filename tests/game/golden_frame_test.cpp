#include <vector>

#include "game_fixture.hpp"

namespace {

using testing_support::GameTest;

// A whole frame for a fixed seed and word list: one word found, one cell
// pending.
TEST_F(GameTest, GoldenFrame) {
    writeWords();
    start(20240611.0);
    findWord(6);
    clickCell(word(2).first);
    const std::vector<std::uint32_t> pixels = framePixels();
    std::uint32_t hash = 2166136261u;  // FNV-1a over the bytes
    for (const std::uint32_t pixel : pixels) {
        for (int i = 0; i < 4; ++i) hash = (hash ^ ((pixel >> (8 * i)) & 0xFFu)) * 16777619u;
    }
    EXPECT_EQ(hash, 2489171553u);
}

}  // namespace
