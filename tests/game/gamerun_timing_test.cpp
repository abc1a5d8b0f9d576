#include <gtest/gtest.h>

#include "matchrun.h"
#include "support/childprocess.h"
#include "support/xwindows.h"

namespace {

using namespace gamerun;

// Eight pads: six join, in pad order, one view each, and the other two are named once. Then,
// paced by the clock, six views tick 60 times a second, and still do after 20 resizes of the
// window. The pace can only be judged on a machine that draws six views faster than that:
// an unpaced run measures it first. Without antialiasing a software renderer does.
TEST(GameRun, SixViewsTickSixtyASecondAlsoAfterResizes) {
    XWindows x;
    ASSERT_TRUE(x.connected()) << "needs an X display (the test command starts Xvfb)";
    MatchFolder run;
    double unpaced = 0;
    {
        ChildProcess probe(QUORL_BINARY,
                           {"--pads", "8", "--level", "arena", "--fast", "--trace", "probe.jsonl",
                            "--exit-after", "600", "--no-multisample"},
                           run.path.string());
        std::string trace = run.file("probe.jsonl");
        ASSERT_TRUE(waitForFrames(trace, 10, 30.0)) << probe.output();
        unpaced = frameRate(trace, 2.0);
        std::vector<JsonValue> t = readTrace(trace);
        ASSERT_EQ(t[0]["players"].size(), 6u);
        for (size_t i = 0; i < 6; ++i)
            EXPECT_EQ(t[0]["players"][i]["input"].string, "Virtual Pad " + std::to_string(i + 1));
        const std::string& out = probe.output();
        for (int pad : {7, 8}) {
            std::string line = "Pad " + std::to_string(pad) + " (Virtual Pad " +
                               std::to_string(pad) +
                               ") does not join: a match has at most 6 players.\n";
            size_t at = out.find(line);
            EXPECT_NE(at, std::string::npos) << out;
            EXPECT_EQ(out.find(line, at + 1), std::string::npos) << "reported twice";
        }
        EXPECT_EQ(out.find("Virtual Pad 9"), std::string::npos);
    } // the probe is stopped here
    RecordProperty("unpacedFramesPerSecond", std::to_string(unpaced));
    if (unpaced < 66)
        GTEST_SKIP() << "six views draw only " << unpaced
                     << " frames a second here without pacing: too few to judge a pace of 60";

    ChildProcess game(
        QUORL_BINARY,
        {"--pads", "6", "--level", "arena", "--trace", "trace.jsonl", "--no-multisample"},
        run.path.string());
    unsigned long window = x.waitForWindow("Quorl Video Game", 15.0);
    ASSERT_NE(window, 0ul) << game.output();
    std::string trace = run.file("trace.jsonl");
    ASSERT_TRUE(waitForFrames(trace, 30, 15.0));
    EXPECT_NEAR(steadyFrameRate(trace, 3, 2.0), 60.0, 3.0);
    x.churn(window);
    EXPECT_NEAR(steadyFrameRate(trace, 3, 2.0), 60.0, 3.0);
    std::vector<JsonValue> t = readTrace(trace);
    for (size_t i = 0; i + 1 < t.size(); ++i) // the last line may be half written
        ASSERT_EQ(t[i]["tick"].num(), double(i));
    x.requestClose(window);
    EXPECT_EQ(game.waitForExit(15.0), 0);
}

} // namespace
