#include <gtest/gtest.h>

#include <vector>

#include "math/randomsource.h"
#include "view/backdrop.h"
#include "view/viewrandom.h"

namespace {

// Skies are made without a number from the simulation's random source, so what a player sees
// never steers the match; each new sky still differs from the last. The view's generator keeps
// to its ranges and reaches every value of a small one about equally often.
TEST(ViewRandom, SkiesLeaveTheMatchsRandomSourceAlone) {
    randomSource.seed(3);
    Backdrop first(50);
    Backdrop second(50);
    EXPECT_EQ(randomSource.draws(), 0u);
    EXPECT_EQ(randomSource.tableIndex(), 0);
    bool differ = false;
    for (size_t i = 0; i < first.discs.size(); ++i)
        differ = differ || first.discs[i].x != second.discs[i].x;
    EXPECT_TRUE(differ);

    ViewRandom random(99);
    std::vector<int> counts(6);
    for (int i = 0; i < 60000; ++i) {
        int k = random.uniformInt(0, 5);
        ASSERT_GE(k, 0);
        ASSERT_LE(k, 5);
        ++counts[static_cast<size_t>(k)];
        float f = random.uniform(-2.0f, 3.0f);
        ASSERT_GE(f, -2.0f);
        ASSERT_LT(f, 3.0f);
    }
    for (int count : counts)
        EXPECT_NEAR(count, 10000, 500);
}

} // namespace
