#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "runtime/clock.hpp"
#include "runtime/last_error.hpp"
#include "runtime/random.hpp"

namespace {

using runtime::randomUnit;
using runtime::seedRandom;

std::uint32_t nextWord() { return static_cast<std::uint32_t>(std::ldexp(randomUnit(1.0f), 32)); }

// The runtime's own seeding: word 0 is the truncated seed, then an LCG.
std::mt19937 referenceWithSeeding(std::uint32_t seed) {
    std::ostringstream state;
    std::uint32_t word = seed;
    state << word;
    for (int i = 1; i < 624; ++i) {
        word = 1664525u * word + 1013904223u;
        state << ' ' << word;
    }
    state << ' ' << 624;  // index: regenerate before the first output
    std::mt19937 engine;
    std::istringstream in(state.str());
    in >> engine;
    return engine;
}

TEST(RandomUnit, KnownValuesAfterSeeding) {
    seedRandom(0.0, 0);
    EXPECT_EQ(nextWord(), 1417766733u);
    EXPECT_EQ(nextWord(), 1413209507u);
    EXPECT_EQ(nextWord(), 2286996103u);

    seedRandom(1.0, 0);
    EXPECT_EQ(nextWord(), 2036278952u);
    EXPECT_EQ(nextWord(), 2285994594u);
    EXPECT_EQ(nextWord(), 2752314166u);
}

TEST(RandomUnit, SeedIsTruncatedTowardZero) {
    seedRandom(1.9, 0);
    const double a = randomUnit(1.0f);
    seedRandom(1.0, 0);
    EXPECT_EQ(randomUnit(1.0f), a);

    seedRandom(-1.9, 0);
    const double b = randomUnit(1.0f);
    seedRandom(-1.0, 0);
    EXPECT_EQ(randomUnit(1.0f), b);
}

TEST(RandomUnit, AgreesWithStandardEngineOverSeveralRegenerations) {
    for (std::uint32_t seed : {0u, 1u, 12345u, 1765049000u, 4294967295u}) {
        seedRandom(static_cast<double>(seed), 0);
        std::mt19937 reference = referenceWithSeeding(seed);
        for (int i = 0; i < 3000; ++i) {
            ASSERT_EQ(nextWord(), reference()) << "seed " << seed << " draw " << i;
        }
    }
}

TEST(RandomUnit, ZeroRepeatsWithoutAdvancing) {
    seedRandom(7.0, 0);
    const double first = randomUnit(1.0f);
    EXPECT_EQ(randomUnit(0.0f), first);
    EXPECT_EQ(randomUnit(0.0f), first);
    const double second = randomUnit(1.0f);

    seedRandom(7.0, 0);
    randomUnit(1.0f);
    EXPECT_EQ(randomUnit(1.0f), second);
}

TEST(RandomUnit, UnseededGeneratorSeedsItselfWithZero) {
    runtime::resetRandom();
    const double unseeded = randomUnit(1.0f);
    seedRandom(0.0, 0);
    EXPECT_EQ(randomUnit(1.0f), unseeded);
}

TEST(RandomUnit, ResultsStayBelowOne) {
    seedRandom(99.0, 0);
    for (int i = 0; i < 100000; ++i) {
        const double r = randomUnit(1.0f);
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        ASSERT_LT(std::floor(20 * r), 20.0);
    }
}

TEST(Clock, IsMonotonicAndSleepWaits) {
    const double before = runtime::clockSeconds();
    runtime::sleepFor(20, runtime::SleepPlain);
    const double after = runtime::clockSeconds();
    EXPECT_GE(after - before, 0.019);
}

TEST(Clock, UnknownSleepKindRecordsBadCall) {
    runtime::setLastError(runtime::ResultCode::Ok);
    const double before = runtime::clockSeconds();
    runtime::sleepFor(200, 7);
    EXPECT_LT(runtime::clockSeconds() - before, 0.2);
    EXPECT_EQ(runtime::lastError(), runtime::ResultCode::BadCall);
}

}  // namespace
