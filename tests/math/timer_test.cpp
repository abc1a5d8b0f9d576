#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "math/timer.h"

namespace {

TEST(Timer, StartsNearZeroAndFollowsTheWallClock) {
    Timer timer;
    timer.restart();
    EXPECT_LT(timer.elapsedSeconds(), 0.25f);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    float ms = timer.elapsedMilliseconds();
    EXPECT_GE(ms, 100.0f);
    EXPECT_NEAR(timer.elapsedSeconds(), ms / 1000.0f, 0.05f);
    timer.restart();
    EXPECT_LT(timer.elapsedMilliseconds(), ms);
}

} // namespace
