#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/childprocess.h"
#include "support/gamerun.h"
#include "support/xwindows.h"

namespace {

using Clock = std::chrono::steady_clock;

// The number in `"name":N` of a trace line; -1 when the field is missing.
int field(const std::string& line, const std::string& name) {
    return static_cast<int>(traceNumber(line, name));
}

// Whether the window takes the size within `seconds` (a resize reaches the server a little
// after the program asks for it).
bool takesSize(XWindows& x, unsigned long window, int width, int height, double seconds) {
    auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    int w = 0, h = 0;
    while (x.size(window, w, h) && (w != width || h != height) && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return w == width && h == height;
}

TEST(ScriptedRun, F11AndFullscreenCoverTheScreen) {
    XWindows x;
    ASSERT_TRUE(x.connected()) << "needs an X display (the test command starts Xvfb)";
    int screenWidth = 0, screenHeight = 0;
    x.screenSize(screenWidth, screenHeight);
    {
        RunFolder run;
        ChildProcess game(QUORL_BINARY, {"--fullscreen", "--exit-after", "30"}, run.path.string());
        unsigned long window = x.waitForWindow("Quorl Video Game", 15.0);
        ASSERT_NE(window, 0ul) << game.output();
        EXPECT_TRUE(takesSize(x, window, screenWidth, screenHeight, 5.0));
        EXPECT_EQ(game.waitForExit(30.0), 0);
    }
    RunFolder run;
    run.write("f11.txt", "5 key f11 down\n5 key f11 up\n40 key f11 down\n40 key f11 up\n");
    ChildProcess game(QUORL_BINARY, {"--script", "f11.txt", "--trace", "trace.jsonl"},
                      run.path.string());
    unsigned long window = x.waitForWindow("Quorl Video Game", 15.0);
    ASSERT_NE(window, 0ul) << game.output();
    std::string trace = run.file("trace.jsonl");
    ASSERT_TRUE(waitForFrames(trace, 20, 15.0));
    EXPECT_TRUE(takesSize(x, window, screenWidth, screenHeight, 5.0));
    ASSERT_TRUE(waitForFrames(trace, 60, 15.0));
    EXPECT_TRUE(takesSize(x, window, 800, 600, 5.0));
    x.requestClose(window);
    EXPECT_EQ(game.waitForExit(15.0), 0);
}

// One timer chain, paced by the clock: 60 ticks a second, and still 60 after the window has
// been resized and re-mapped many times (each of which redraws it). The first screen is
// activated twice at start-up, which must not double its ticks either. A machine that cannot
// draw the first screen well above 60 times a second unpaced cannot judge the pace.
TEST(ScriptedRun, FirstScreenTicksSixtyASecondAlsoAfterResizes) {
    XWindows x;
    ASSERT_TRUE(x.connected()) << "needs an X display (the test command starts Xvfb)";
    RunFolder run;
    double unpaced = 0;
    {
        ChildProcess probe(QUORL_BINARY,
                           {"--fast", "--trace", "probe.jsonl", "--exit-after", "600"},
                           run.path.string());
        std::string trace = run.file("probe.jsonl");
        ASSERT_TRUE(waitForFrames(trace, 10, 30.0)) << probe.output();
        unpaced = frameRate(trace, 2.0);
    } // the probe is stopped here
    if (unpaced < 66)
        GTEST_SKIP() << "the first screen draws only " << unpaced
                     << " frames a second here without pacing: too few to judge a pace of 60";
    ChildProcess game(QUORL_BINARY, {"--trace", "trace.jsonl"}, run.path.string());
    unsigned long window = x.waitForWindow("Quorl Video Game", 15.0);
    ASSERT_NE(window, 0ul) << game.output();
    std::string trace = run.file("trace.jsonl");
    ASSERT_TRUE(waitForFrames(trace, 30, 15.0));
    EXPECT_NEAR(steadyFrameRate(trace, 3, 2.0), 60.0, 3.0);
    x.churn(window);
    EXPECT_NEAR(steadyFrameRate(trace, 3, 2.0), 60.0, 3.0);
    std::vector<std::string> all = readLines(trace);
    for (size_t t = 0; t < all.size(); ++t)
        ASSERT_EQ(field(all[t], "tick"), static_cast<int>(t)) << all[t];
    x.requestClose(window);
    EXPECT_EQ(game.waitForExit(15.0), 0);
}

} // namespace
