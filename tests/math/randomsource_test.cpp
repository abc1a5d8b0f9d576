#include <gtest/gtest.h>

#include <set>

#include "math/randomsource.h"

namespace {

TEST(RandomSource, RandomIntStaysInBoundsAndReachesEveryValue) {
    randomSource.seed(1234);
    std::set<int> seen;
    for (int i = 0; i < 100000; ++i) {
        int v = randomSource.randomInt(3, 5);
        ASSERT_GE(v, 3);
        ASSERT_LE(v, 5);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 3u);
    for (int i = 0; i < 10000; ++i) {
        int face = randomSource.randomInt(0, 5);
        ASSERT_GE(face, 0);
        ASSERT_LE(face, 5);
    }
}

TEST(RandomSource, RandomFloatStaysInBounds) {
    randomSource.seed(99);
    float lowest = 1e9f, highest = -1e9f;
    for (int i = 0; i < 100000; ++i) {
        float v = randomSource.randomFloat(-2.5f, 7.0f);
        ASSERT_GE(v, -2.5f);
        ASSERT_LE(v, 7.0f);
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
    }
    // Spread over the interval, not stuck near one end.
    EXPECT_LT(lowest, -2.0f);
    EXPECT_GT(highest, 6.5f);
}

TEST(RandomSource, SeedingRepeatsEverySequence) {
    randomSource.seed(7);
    float f1 = randomSource.randomFloat(0, 1);
    int i1 = randomSource.randomInt(0, 1000);
    float t1 = randomSource.tableNext();
    randomSource.seed(7);
    EXPECT_EQ(randomSource.randomFloat(0, 1), f1);
    EXPECT_EQ(randomSource.randomInt(0, 1000), i1);
    EXPECT_EQ(randomSource.tableNext(), t1);
    randomSource.seed(8);
    EXPECT_NE(randomSource.tableNext(), t1);
}

TEST(RandomSource, TableWrapsAfterAFullWalk) {
    randomSource.seed(42);
    float first = randomSource.tableNext();
    for (int i = 1; i < RandomSource::TABLE_SIZE; ++i) {
        float v = randomSource.tableNext();
        ASSERT_GE(v, 0.0f);
        ASSERT_LE(v, 1.0f);
    }
    EXPECT_EQ(randomSource.tableIndex(), 0);
    EXPECT_EQ(randomSource.tableNext(), first);
}

TEST(RandomSource, TableUniformAndTableIntStayInBounds) {
    randomSource.seed(5);
    std::set<int> seen;
    for (int i = 0; i < 5000; ++i) {
        float u = randomSource.tableUniform(10, 20);
        ASSERT_GE(u, 10.0f);
        ASSERT_LE(u, 20.0f);
        int k = randomSource.tableInt(0, 2);
        ASSERT_GE(k, 0);
        ASSERT_LE(k, 2);
        seen.insert(k);
    }
    EXPECT_EQ(seen.size(), 3u);
}

// Where the source stands, for a match's state: the seed it was last given and the draws from
// the generator since (the table walk is counted by its index). Two sources at the same seed
// and draw count give the same next numbers.
TEST(RandomSource, TellsItsSeedAndHowManyDrawsItHasMade) {
    randomSource.seed(17);
    EXPECT_EQ(randomSource.seedValue(), 17u);
    EXPECT_EQ(randomSource.draws(), 0u);
    randomSource.randomInt(0, 9);
    randomSource.randomFloat(0, 1);
    randomSource.tableNext();
    EXPECT_EQ(randomSource.draws(), 2u);
    float third = randomSource.randomFloat(0, 1);
    randomSource.seed(17);
    randomSource.randomInt(0, 9);
    randomSource.randomFloat(0, 1);
    EXPECT_EQ(randomSource.randomFloat(0, 1), third);
    EXPECT_EQ(randomSource.draws(), 3u);
}

} // namespace
