#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/drawing/wide_fill.hpp"

namespace {

// Both store widths write exactly the run, whatever its start's alignment and
// length, and nothing on either side of it.
TEST(WideFill, BothWidthsWriteExactlyTheRun) {
    std::vector<gfx::WideFillFn> fills{gfx::wideFill16};
    if (__builtin_cpu_supports("avx2")) fills.push_back(gfx::wideFill32);
    std::mt19937 random(3);
    for (gfx::WideFillFn fill : fills) {
        for (int trial = 0; trial < 3000; ++trial) {
            const std::size_t start = random() % 64 * 4 + random() % 2 * 64;
            const std::size_t count = trial < 200 ? static_cast<std::size_t>(trial)
                                                  : static_cast<std::size_t>(random() % 5000);
            std::vector<std::uint8_t> bytes(start + 4 * count + 96, 0xEE);
            const std::uint32_t value = static_cast<std::uint32_t>(random());
            fill(bytes.data() + start, value, count);
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                const bool inside = i >= start && i < start + 4 * count;
                const auto expected =
                    inside ? static_cast<std::uint8_t>(value >> (8 * ((i - start) % 4))) : 0xEE;
                ASSERT_EQ(bytes[i], expected) << "start " << start << " count " << count;
            }
        }
    }
}

}  // namespace
