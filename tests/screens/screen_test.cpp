#include <gtest/gtest.h>

#include <algorithm>

#include "screens/shell.h"
#include "support/fakeplatform.h"
#include "support/recordingscreen.h"

namespace {

class Screens : public ::testing::Test {
protected:
    void SetUp() override {
        previous = currentScreen;
        currentScreen = nullptr;
    }
    void TearDown() override { currentScreen = previous; }

    // One turn of the GLUT loop: the timers armed so far fire, then a posted redisplay draws the
    // current screen.
    void loopOnce() {
        fake.fireTimers();
        if (fake.redisplays > 0) {
            fake.redisplays = 0;
            currentScreen->display();
        }
    }

    FakePlatform fake;
    std::vector<std::string> log;
    RecordingScreen first{"first", &log};
    RecordingScreen second{"second", &log};
    Screen* previous = nullptr;
};

TEST_F(Screens, SwitchDeactivatesTheOldScreenBeforeActivatingTheNew) {
    switchScreen(&first);
    EXPECT_EQ(currentScreen, &first);
    EXPECT_EQ(fake.redisplays, 1);
    switchScreen(&second);
    EXPECT_EQ(currentScreen, &second);
    std::vector<std::string> expected = {"first:activate", "first:deactivate", "second:activate"};
    EXPECT_EQ(log, expected);
    // Switching to the current screen deactivates and re-activates it.
    switchScreen(&second);
    EXPECT_EQ(log[3], "second:deactivate");
    EXPECT_EQ(log[4], "second:activate");
    // Both happen before the new screen draws its first frame.
    loopOnce();
    EXPECT_EQ(log.back(), "second:display");
}

TEST_F(Screens, RunningScreenArmsExactlyOneTimerPerFrame) {
    switchScreen(&first);
    for (int frame = 0; frame < 5; ++frame) {
        loopOnce();
        ASSERT_EQ(fake.timers.size(), 1u) << "frame " << frame;
        // Each timer is due on the 1/60 s grid from the first frame, to the millisecond.
        EXPECT_NEAR(fake.timers.front().due(), (frame + 1) / 60.0, 0.0005) << "frame " << frame;
    }
    loopOnce();
    EXPECT_EQ(first.ticks, 5);
}

TEST_F(Screens, AfterDeactivateOneLastTickRunsAndTheChainStops) {
    switchScreen(&first);
    loopOnce(); // draws and arms the first timer
    ASSERT_EQ(fake.timers.size(), 1u);
    switchScreen(&second); // second does not animate in this test: it was never ticked
    second.deactivate();   // keep it from arming timers of its own
    log.clear();
    loopOnce(); // the pending timer of the first screen still fires
    EXPECT_EQ(first.ticks, 1);
    for (int i = 0; i < 3; ++i)
        loopOnce();
    EXPECT_EQ(first.ticks, 1);
    EXPECT_TRUE(fake.timers.empty());
    // The redisplay the last tick posted drew the new current screen, not the old one.
    auto lastTick = std::find(log.begin(), log.end(), "first:tick");
    ASSERT_NE(lastTick, log.end());
    EXPECT_NE(std::find(lastTick, log.end(), "second:display"), log.end());
    EXPECT_EQ(std::count(log.begin(), log.end(), "first:display"), 0);
}

TEST_F(Screens, EventsReachOnlyTheCurrentScreen) {
    switchScreen(&first);
    log.clear();
    onKeyboard('q', 1, 2);
    onSpecial(100, 1, 2);
    onMotion(5, 6);
    std::vector<std::string> expected = {"first:keyboard q 1,2", "first:special 100",
                                         "first:motion 5,6"};
    EXPECT_EQ(log, expected);
}

} // namespace
