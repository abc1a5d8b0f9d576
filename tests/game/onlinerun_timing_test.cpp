// The pace of an online match through a network as slow as a long way off: both machines keep
// playing 60 ticks a second.

#include <gtest/gtest.h>

#include "onlinerun.h"
#include "support/udprelay.h"

namespace {

using namespace onlinerun;

// The ticks of the match a machine played for each frame it drew (at 60 frames a second),
// from its 100th tick to its last: 1 when it never waited for the others.
double ticksPerFrame(const std::string& trace) {
    std::vector<JsonValue> frames = readTrace(trace);
    int firstFrame = -1, firstTick = 0, lastFrame = -1, lastTick = 0;
    for (const JsonValue& frame : frames) {
        if (frame["screen"].string != "game" || frame["matchTick"].type != JsonValue::NUMBER)
            continue;
        int tick = static_cast<int>(frame["matchTick"].number);
        int number = static_cast<int>(frame["tick"].number);
        if (firstFrame < 0 && tick >= 100) {
            firstFrame = number;
            firstTick = tick;
        }
        if (firstFrame >= 0 && frame["stopped"].type != JsonValue::STRING) {
            lastFrame = number;
            lastTick = tick;
        }
    }
    return lastFrame > firstFrame ? double(lastTick - firstTick) / (lastFrame - firstFrame) : 0;
}

} // namespace

// 40 ms each way (an 80 ms round trip, and up to 10 ms more each way) and 5 % of the datagrams
// lost: the input delay grows to cover the trip, and neither machine waits.
TEST(OnlineRunTiming, EightyMillisecondsAndFivePercentLossKeepSixtyTicksASecond) {
    MatchFolder folder;
    uint16_t port = freePort();
    UdpRelay relay(port, UdpRelay::Conditions{40, 10, 0.05, 3});
    ASSERT_NE(relay.port(), 0) << relay.problem();
    const char* script = "100 pad 0 lefty -1\n200 pad 0 righttrigger 1\n204 pad 0 righttrigger 0\n";
    Machine host = startMachine(
        folder, "host", 2, script,
        {"--host", std::to_string(port), "--machines", "2", "--level", "arena", "--seed", "5"},
        1200);
    Machine joiner = startMachine(folder, "joiner", 2, script,
                                  {"--join", "127.0.0.1:" + std::to_string(relay.port())}, 1200);
    EXPECT_EQ(joiner.program->waitForExit(120), 0) << joiner.program->output();
    EXPECT_EQ(host.program->waitForExit(120), 0) << host.program->output();
    double hostPace = ticksPerFrame(host.trace(folder));
    double joinerPace = ticksPerFrame(joiner.trace(folder));
    printf("ticks a second held: host %.1f, joiner %.1f (relay passed %ld, lost %ld)\n",
           hostPace * 60, joinerPace * 60, relay.passed(), relay.dropped());
    EXPECT_GT(hostPace, 0.97) << host.program->output();
    EXPECT_GT(joinerPace, 0.97) << joiner.program->output();
    EXPECT_GT(relay.dropped(), 0);
}
