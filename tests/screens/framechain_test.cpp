#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "screens/shell.h"
#include "support/fakeplatform.h"
#include "support/recordingscreen.h"

namespace {

constexpr double PERIOD = 1.0 / 60; // seconds

class FramePacing : public ::testing::Test {
protected:
    void SetUp() override {
        previous = currentScreen;
        currentScreen = nullptr;
        fake.now = 100.0;
    }
    void TearDown() override { currentScreen = previous; }

    // One turn of the GLUT loop: due timers fire (the clock moves to their time), then the
    // posted redisplay draws the current screen after `work` seconds of the frame's work.
    void loopOnce(double work = 0.0) {
        fake.fireTimers();
        fake.now += work;
        if (fake.redisplays > 0) {
            fake.redisplays = 0;
            currentScreen->display();
        }
    }

    // Ticks of `screen` over `seconds` of the fake clock, each frame's work given by `work`.
    template <typename Work> int ticksOver(double seconds, Work work) {
        int before = screen.ticks;
        double end = fake.now + seconds;
        while (fake.now < end)
            loopOnce(work(fake.now));
        return screen.ticks - before;
    }

    FakePlatform fake;
    std::vector<std::string> log;
    RecordingScreen screen{"s", &log};
    Screen* previous = nullptr;
};

// Exposures, resizes, a second activation: however many displays, one chain, one tick a period.
TEST_F(FramePacing, ManyDisplaysAndActivationsKeepOneTimer) {
    screen.armsOnActivate = true;
    switchScreen(&screen);
    screen.activate(); // start-up activates the first screen twice
    for (int i = 0; i < 40; ++i)
        screen.display();
    ASSERT_EQ(fake.timers.size(), 1u);
    EXPECT_EQ(fake.timers.front().milliseconds, 17u); // 16.67 ms rounded
    loopOnce();
    EXPECT_EQ(screen.ticks, 1);
    EXPECT_EQ(fake.timers.size(), 1u);
    // Switching away and straight back keeps the pending timer as the only chain.
    switchScreen(&screen);
    screen.display();
    EXPECT_EQ(fake.timers.size(), 1u);
    EXPECT_NEAR(ticksOver(1.0, [](double) { return 0.0; }), 60, 1);
}

// Each tick arms the next for what is left of its period, before the picture is drawn, so
// the draw's cost never shifts the grid; a late tick is followed at once by the next until
// the grid is caught up; after a stall the pace resumes from the late tick.
TEST_F(FramePacing, EachTimerWaitsForTheRestOfThePeriod) {
    switchScreen(&screen);
    screen.display();
    double start = fake.now;
    loopOnce(0.008); // ticks at start + 1/60, arms the next tick, then draws for 8 ms
    ASSERT_EQ(fake.timers.size(), 1u);
    EXPECT_NEAR(fake.timers.front().due(), start + 2 * PERIOD, 0.0006);
    loopOnce(0.020); // a frame longer than the period: the next tick is already due
    EXPECT_LE(fake.timers.front().due(), fake.now);
    loopOnce(0.0); // caught up with the grid again
    EXPECT_NEAR(fake.timers.front().due(), start + 4 * PERIOD, 0.0006);
    EXPECT_EQ(screen.ticks, 3);
    loopOnce(0.5); // a stall of half a second after a tick
    EXPECT_LE(fake.timers.front().due(), fake.now);
    double resumed = fake.now;
    loopOnce(0.0); // one late tick, and the next a period after it, not a burst
    EXPECT_EQ(screen.ticks, 5);
    EXPECT_NEAR(fake.timers.front().due(), resumed + PERIOD, 0.0006);
}

// The rate stays at 60 whatever a frame costs below the period, including a swap that waits
// for the next vertical blank (which halved the rate when every timer was a fresh 16 ms).
TEST_F(FramePacing, SixtyTicksASecondWhateverTheFrameTime) {
    switchScreen(&screen);
    screen.display();
    const double costs[] = {0.0, 0.004, 0.008, 0.012, 0.016};
    for (double cost : costs)
        EXPECT_NEAR(ticksOver(10.0, [&](double) { return cost; }), 600, 1) << cost;
    auto untilVerticalBlank = [](double now) {
        double next = std::ceil((now + 0.003) / PERIOD) * PERIOD; // 3 ms of drawing, then wait
        return next - now;
    };
    EXPECT_NEAR(ticksOver(10.0, untilVerticalBlank), 600, 1);
    // A busy moment (here 50 ms every half second) is made up for by the ticks after it.
    int frame = 0;
    auto hiccups = [&](double) { return ++frame % 30 == 0 ? 0.050 : 0.004; };
    EXPECT_NEAR(ticksOver(10.0, hiccups), 600, 1);
    // Frames that always take longer than the period give one tick a frame.
    EXPECT_NEAR(ticksOver(10.0, [](double) { return 0.025; }), 400, 1);
}

TEST_F(FramePacing, ATimerOutlivingItsScreenFiresIntoNothing) {
    {
        auto gone = std::make_unique<RecordingScreen>("gone", &log);
        switchScreen(gone.get());
        gone->display();
        currentScreen = nullptr;
    }
    ASSERT_EQ(fake.timers.size(), 1u);
    fake.fireTimers();
    EXPECT_EQ(std::count(log.begin(), log.end(), "gone:tick"), 0);
}

} // namespace
