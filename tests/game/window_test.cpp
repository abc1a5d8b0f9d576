#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/childprocess.h"
#include "support/gamerun.h"
#include "support/xwindows.h"

namespace {

// Starts the real program from the data directory, as a player does, and closes its window.
TEST(Window, OpensTitledWindowKeepsRunningAndEndsCleanlyWhenClosed) {
    XWindows x;
    ASSERT_TRUE(x.connected()) << "needs an X display (the test command starts Xvfb)";

    ChildProcess game(QUORL_BINARY, {}, std::string(QUORL_SOURCE_DIR) + "/data");
    unsigned long window = x.waitForWindow("Quorl Video Game", 15.0);
    ASSERT_NE(window, 0ul) << game.output();
    int width = 0, height = 0;
    ASSERT_TRUE(x.size(window, width, height));
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);

    // It lives on its timer chain rather than returning.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(game.running());

    x.requestClose(window);
    EXPECT_EQ(game.waitForExit(15.0), 0);
    const std::string& out = game.output();
    EXPECT_NE(out.find("OpenGL version: "), std::string::npos) << out;
    EXPECT_EQ(out.find("no stencil buffer"), std::string::npos) << out;
}

// Frames (lines of the trace) written so far.
size_t framesWritten(const std::string& trace) {
    return readLines(trace).size();
}

// The game keeps its pace whether or not its window can be drawn: hidden (as minimised), or a
// pixel high, it ticks on and ends by itself after its last frame. A window of a pixel never
// drew a frame and stopped the game for good, at 0 % CPU.
TEST(Window, TicksGoOnWhileTheWindowIsHiddenOrAPixelHigh) {
    XWindows x;
    ASSERT_TRUE(x.connected()) << "needs an X display (the test command starts Xvfb)";
    RunFolder run;
    std::string trace = run.file("t.jsonl");
    ChildProcess game(QUORL_BINARY, {"--trace", trace, "--exit-after", "420"}, run.path.string());
    unsigned long window = x.waitForWindow("Quorl Video Game", 15.0);
    ASSERT_NE(window, 0ul) << game.output();
    ASSERT_TRUE(waitForFrames(trace, 30, 15.0)) << game.output();

    x.resize(window, 800, 1);
    size_t before = framesWritten(trace);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_GE(framesWritten(trace), before + 60) << "a pixel-high window";

    x.resize(window, 800, 600);
    x.hide(window);
    before = framesWritten(trace);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_GE(framesWritten(trace), before + 60) << "a hidden window";
    x.show(window);

    EXPECT_EQ(game.waitForExit(30.0), 0) << game.output();
    EXPECT_EQ(framesWritten(trace), 421u);
}

// Windows too small to show the six views with their displays are refused before any opens.
TEST(Window, ASizeTooSmallForTheViewsIsRefused) {
    for (const char* size : {"1x1", "1x600", "800x1", "159x120", "160x119"}) {
        ChildProcess game(QUORL_BINARY, {"--size", size}, std::string(QUORL_SOURCE_DIR) + "/data");
        EXPECT_EQ(game.waitForExit(15.0), 2) << size;
        EXPECT_NE(game.output().find("--size wants WIDTHxHEIGHT in pixels, from 160x120"),
                  std::string::npos)
            << game.output();
    }
}

} // namespace
