#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/childprocess.h"
#include "support/gamerun.h"
#include "support/pngfile.h"
#include "support/xwindows.h"

namespace {

using Clock = std::chrono::steady_clock;

// The number in `"name":N` of a trace line; -1 when the field is missing.
int field(const std::string& line, const std::string& name) {
    return static_cast<int>(traceNumber(line, name));
}

// Waits until the trace has at least `count` complete lines; false after `seconds`.
bool waitForFrames(const std::string& trace, size_t count, double seconds) {
    auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (readLines(trace).size() < count && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return readLines(trace).size() >= count;
}

// Frames per second over `seconds`, counted in the trace as the running game writes it.
double frameRate(const std::string& trace, double seconds) {
    size_t before = readLines(trace).size();
    auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    size_t after = readLines(trace).size();
    double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    return static_cast<double>(after - before) / elapsed;
}

// A whole scripted run: it ends with status 0 after the frame asked for, with one trace line
// per frame; the scripted keys reach the screen through the shell as a keyboard's would (the
// welcome screen's selection follows the arrows, once per press) while F12, the shell's own,
// saves a picture and says where; the pictures asked for come from the back buffer at the
// window's size: the welcome screen's dark grey round its title, not the black of a front
// buffer read after the swap.
TEST(ScriptedRun, TracesEveryFrameTakesItsPicturesAndEnds) {
    RunFolder run;
    run.write("keys.txt", "# two keys for the screen\n"
                          "5 key down down\n6 key down up\n"
                          "8 key up down\n9 key up up\n"
                          "12 key f12 down   # a screenshot\n12 key f12 up\n");
    ChildProcess game(QUORL_BINARY,
                      {"--script", "keys.txt", "--trace", "trace.jsonl", "--size", "320x200",
                       "--screenshot", "0:first.png", "--screenshot", "20:last.png", "--exit-after",
                       "20", "--seed", "5", "--fixed-step"},
                      run.path.string());
    ASSERT_EQ(game.waitForExit(30.0), 0) << game.output();
    std::vector<std::string> trace = readLines(run.file("trace.jsonl"));
    ASSERT_EQ(trace.size(), 21u);
    for (int t = 0; t < 21; ++t) {
        EXPECT_EQ(field(trace[t], "tick"), t);
        EXPECT_NE(trace[t].find("\"screen\":\"welcome\""), std::string::npos) << trace[t];
        EXPECT_EQ(field(trace[t], "selected"), t >= 5 && t < 8 ? 1 : 0) << trace[t];
    }
    std::string out = game.output();
    size_t at = out.find("Screenshot saved: screenshots/quorl-");
    ASSERT_NE(at, std::string::npos) << out;
    std::string f12 = out.substr(at + 18, out.find('\n', at) - at - 18);
    for (const std::string& name : {std::string("first.png"), std::string("last.png"), f12}) {
        int width = 0, height = 0;
        std::vector<unsigned char> rgb = readPngRgb(run.file(name), width, height);
        ASSERT_EQ(width, 320) << name;
        ASSERT_EQ(height, 200) << name;
        size_t background = 0;
        for (unsigned char c : rgb)
            background += c >= 18 && c <= 20;                 // 0.075 of 255
        EXPECT_GT(background, rgb.size() / 2) << name;        // mostly the backdrop,
        EXPECT_LT(background, rgb.size() * 98 / 100) << name; // with the menu drawn on it
    }
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
// activated twice at start-up, which must not double its ticks either.
TEST(ScriptedRun, FirstScreenTicksSixtyASecondAlsoAfterResizes) {
    XWindows x;
    ASSERT_TRUE(x.connected()) << "needs an X display (the test command starts Xvfb)";
    RunFolder run;
    ChildProcess game(QUORL_BINARY, {"--trace", "trace.jsonl"}, run.path.string());
    unsigned long window = x.waitForWindow("Quorl Video Game", 15.0);
    ASSERT_NE(window, 0ul) << game.output();
    std::string trace = run.file("trace.jsonl");
    ASSERT_TRUE(waitForFrames(trace, 30, 15.0));
    EXPECT_NEAR(frameRate(trace, 4.0), 60.0, 3.0);
    for (int i = 0; i < 20; ++i) {
        x.resize(window, 400 + 20 * i, 300 + 10 * i);
        if (i % 4 == 0)
            x.remap(window);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the last exposures drawn
    EXPECT_NEAR(frameRate(trace, 4.0), 60.0, 3.0);
    std::vector<std::string> all = readLines(trace);
    for (size_t t = 0; t < all.size(); ++t)
        ASSERT_EQ(field(all[t], "tick"), static_cast<int>(t)) << all[t];
    x.requestClose(window);
    EXPECT_EQ(game.waitForExit(15.0), 0);
}

// Refused before any window opens: the message says what is wrong, then the usage; status 2.
TEST(ScriptedRun, BadArgumentsAndScriptsExitWithTheUsage) {
    RunFolder run;
    run.write("bad.txt", "0 key a down\n1 key a sideways\n");
    run.write("pads.txt", "3 pad 1 a 1\n");
    const struct {
        std::vector<std::string> arguments;
        const char* says;
    } cases[] = {
        {{"--pads", "x"}, "--pads"},
        {{"--frobnicate"}, "--frobnicate"},
        {{"--script", "missing.txt"}, "missing.txt"},
        {{"--script", "bad.txt"}, "line 2"},
        {{"--pads", "1", "--script", "pads.txt"}, "line 1: pad 1 is not attached"},
        {{"--level", "no-such-level"}, "levels/no-such-level"},
        {{"--trace", "no/such/folder/t.jsonl"}, "no/such/folder/t.jsonl"},
        {{"--screenshot", "5:a.png", "--exit-after", "2"}, "--exit-after 2"},
    };
    for (const auto& c : cases) {
        ChildProcess game(QUORL_BINARY, c.arguments, run.path.string());
        EXPECT_EQ(game.waitForExit(15.0), 2) << c.arguments[0];
        const std::string& out = game.output();
        EXPECT_NE(out.find(c.says), std::string::npos) << out;
        EXPECT_NE(out.find("Usage: quorl"), std::string::npos) << out;
        EXPECT_EQ(out.find("OpenGL version"), std::string::npos) << out;
    }
    ChildProcess help(QUORL_BINARY, {"--help"}, run.path.string());
    EXPECT_EQ(help.waitForExit(15.0), 0);
    EXPECT_NE(help.output().find("--exit-after T"), std::string::npos);
}

} // namespace
