#include <gtest/gtest.h>

#include <sstream>

#include "screens/shell.h"
#include "session/options.h"
#include "session/playsession.h"
#include "session/script.h"
#include "support/fakeplatform.h"
#include "support/recordingscreen.h"

namespace {

TEST(FastRun, FastImpliesTheFixedStepAndASession) {
    Options options;
    std::string error;
    ASSERT_TRUE(parseOptions({"--fast"}, options, error)) << error;
    EXPECT_TRUE(options.fast);
    EXPECT_TRUE(options.fixedStep); // the game's time must not race with the frames
    EXPECT_TRUE(options.scripted());
    EXPECT_FALSE(parseOptions({"--fast=yes"}, options, error));
    EXPECT_NE(std::string(usageText()).find("--fast"), std::string::npos);
}

TEST(FastRun, TankHealthLinesAreCheckedLikeEveryOther) {
    std::istringstream good("12 tank 5 health 10 # the last face's tank at full health\n"
                            "3 tank 0 health 1\n");
    std::vector<ScriptEvent> events;
    std::string error;
    ASSERT_TRUE(parseScript(good, events, error)) << error;
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].frame, 3);
    EXPECT_EQ(events[0].kind, ScriptEvent::Kind::TANK_HEALTH);
    EXPECT_EQ(events[0].pad, 0);
    EXPECT_EQ(events[0].key, 1);
    EXPECT_EQ(events[1].pad, 5);
    EXPECT_EQ(events[1].key, 10);
    for (const char* bad : {"1 tank 6 health 3", "1 tank 0 health 0", "1 tank 0 health 11",
                            "1 tank 0 health", "1 tank 0 armour 3", "1 tank -1 health 3",
                            "1 tank 0 health 2.5", "1 tank 0 health 3 4"}) {
        std::istringstream in(bad);
        EXPECT_FALSE(parseScript(in, events, error)) << bad;
        EXPECT_NE(error.find("line 1: a tank event is T tank P health H"), std::string::npos)
            << error;
    }
}

// A fast run asks for every frame at once, whatever the frame chains would wait; the timers
// are paced again once the session is done.
TEST(FastRun, EveryFrameTimerFiresAtOnceUntilTheSessionEnds) {
    FakePlatform fake;
    std::vector<std::string> log;
    RecordingScreen screen("game", &log);
    Screen* previous = currentScreen;
    currentScreen = nullptr;
    Options options;
    options.fast = true;
    NoPads pads;
    {
        PlaySession session(options, {}, pads);
        session.install();
        switchScreen(&screen);
        for (int frame = 0; frame < 5; ++frame) {
            fake.fireTimers();
            screen.display();
            ASSERT_EQ(fake.timers.size(), 1u);
            // A millisecond: after the tick's picture, which GLUT draws after the due timers.
            EXPECT_EQ(fake.timers.back().milliseconds, 1u) << frame;
        }
        EXPECT_EQ(screen.ticks, 4); // the first display only arms the chain
    }
    fake.fireTimers();
    screen.display();
    ASSERT_EQ(fake.timers.size(), 1u);
    EXPECT_GT(fake.timers.back().milliseconds, 1u); // paced by the clock again
    screen.deactivate();
    currentScreen = previous;
}

} // namespace
