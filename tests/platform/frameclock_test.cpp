#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "platform/frameclock.h"

namespace {

// Readings of the clock an uneven 60 frames a second apart: whole milliseconds of dt, the
// parts of a millisecond carried to the next tick so that the dts add up to the time that
// passed however long the run, a day later as exact as at the start, and few different values
// (what keeps a record of them small). With a fixed step the clock does not matter.
TEST(FrameClock, DtIsWholeMillisecondsThatAddUpToTheTimePassed) {
    for (int64_t startSeconds : {int64_t{0}, int64_t{86400}}) {
        SCOPED_TRACE(startSeconds);
        FrameClock clock;
        int64_t now = startSeconds * 1000000000;
        clock.tickAt(now);
        std::set<float> dts;
        double sum = 0;
        uint64_t jitter = 12345;
        for (int tick = 0; tick < 6000; ++tick) {
            jitter = jitter * 6364136223846793005ull + 1;
            now += 16666667 + static_cast<int64_t>(jitter >> 44) % 400000 - 200000;
            clock.tickAt(now);
            int64_t ms = static_cast<int64_t>(clock.dt * 1000.0 + 0.5);
            ASSERT_EQ(clock.dt, static_cast<float>(ms / 1000.0)) << "tick " << tick;
            sum += ms;
            dts.insert(clock.dt);
        }
        double passed = static_cast<double>(now / 1000000 - startSeconds * 1000);
        EXPECT_EQ(sum, passed);
        EXPECT_LE(dts.size(), 3u); // 16 and 17 ms, now and then 18
        EXPECT_NEAR(clock.lastTime, static_cast<double>(now) * 1e-9, 0.01);
    }
    FrameClock fixed;
    fixed.fixedStep = true;
    fixed.tickAt(5);
    fixed.tickAt(999999999999);
    EXPECT_EQ(fixed.dt, static_cast<float>(1.0 / 60));
}

} // namespace
