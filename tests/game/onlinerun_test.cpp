// Online matches played by real programs on 127.0.0.1: every machine runs the whole match from
// everyone's inputs, so every machine's trace of the shared world is the same tick by tick, and
// every machine's record verifies.

#include <gtest/gtest.h>

#include <csignal>

#include "onlinerun.h"
#include "support/udprelay.h"

namespace {

using namespace onlinerun;

constexpr int FRAMES = 900;

// The host's two pads: driving, turning, firing, the item wheel, a layer turn each; then free
// items for everyone (developer key 2) and a tank set to three points, as edits every machine
// makes at the same tick.
const char* const HOST_SCRIPT = R"(# host
120 pad 0 lefty -1
130 pad 1 righttrigger 1
134 pad 1 righttrigger 0
180 pad 0 leftx 0.7
220 pad 0 leftx 0
260 pad 0 lefty 0
300 pad 1 b 1
302 pad 1 b 0
340 key 2 down
341 key 2 up
360 pad 0 lefttrigger 1
364 pad 0 lefttrigger 0
380 pad 0 righttrigger 1
384 pad 0 righttrigger 0
420 tank 2 health 3
480 pad 0 x 1
482 pad 0 x 0
)";

// A joiner's pads: the same kinds of things at other times, a nuke for everyone (key 4) and a
// pad unplugged for a while.
const char* const JOIN_SCRIPT = R"(# joiner
140 pad 0 lefty -1
150 pad 0 righttrigger 1
154 pad 0 righttrigger 0
200 pad 1 lefty 1
240 pad 1 a 1
242 pad 1 a 0
280 pad 1 lefty 0
330 pad 0 lefty 0
350 key 4 down
351 key 4 up
370 pad 1 righttrigger 1
374 pad 1 righttrigger 0
400 pad 0 unplug
460 pad 0 plug
500 pad 0 lefttrigger 1
504 pad 0 lefttrigger 0
520 pad 0 righttrigger 1
524 pad 0 righttrigger 0
)";

// The third machine's one pad.
const char* const THIRD_SCRIPT = R"(# third
160 pad 0 leftx -1
200 pad 0 leftx 0
210 pad 0 righttrigger 1
214 pad 0 righttrigger 0
250 pad 0 y 1
252 pad 0 y 0
)";

std::vector<std::string> hostRole(uint16_t port, int machines) {
    return {"--host",     std::to_string(port),
            "--machines", std::to_string(machines),
            "--level",    "arena",
            "--seed",     "21"};
}

std::vector<std::string> joinRole(uint16_t port) {
    return {"--join", "127.0.0.1:" + std::to_string(port)};
}

// Waits for every machine to end by itself with status 0.
void expectAllEnd(std::vector<Machine>& machines) {
    for (Machine& machine : machines)
        EXPECT_EQ(machine.program->waitForExit(120), 0) << machine.name << ":\n"
                                                        << machine.program->output();
}

// The traces of all machines agree at every tick they all played (at least `atLeast` of
// them), and their records verify.
void expectOneMatch(const RunFolder& folder, std::vector<Machine>& machines,
                    const std::vector<int>& seats, int atLeast) {
    std::vector<std::map<int, std::string>> states;
    for (Machine& machine : machines) {
        states.push_back(statesByTick(machine.trace(folder)));
        std::vector<JsonValue> frames = readTrace(machine.trace(folder));
        ASSERT_FALSE(frames.empty()) << machine.name;
        EXPECT_EQ(seatMachines(frames.back()), seats) << machine.name;
    }
    int compared = 0;
    bool turned = false, shot = false, edited = false;
    for (const auto& [tick, state] : states[0]) {
        bool everywhere = true;
        for (size_t m = 1; m < states.size(); ++m)
            everywhere = everywhere && states[m].count(tick);
        if (!everywhere)
            continue;
        for (size_t m = 1; m < states.size(); ++m)
            ASSERT_EQ(states[m].at(tick), state) << machines[m].name << " at tick " << tick;
        ++compared;
        turned = turned || state.find("rotating=0.000000t") != std::string::npos;
        shot = shot || state.find("shells=0.") == std::string::npos;
        edited = edited || state.find(" h3.") != std::string::npos;
    }
    EXPECT_GE(compared, atLeast);
    EXPECT_TRUE(turned) << "a layer turned";
    EXPECT_TRUE(shot) << "a shell flew";
    EXPECT_TRUE(edited) << "the health edit reached the match";
    for (Machine& machine : machines) {
        ChildProcess verify(QUORL_BINARY, {"--replay", machine.record(folder), "--verify"},
                            folder.path.string());
        EXPECT_EQ(verify.waitForExit(120), 0) << machine.name << ": " << verify.output();
    }
}

} // namespace

// Two machines of two pads each: the host's seats first, then the joiner's.
TEST(OnlineRun, TwoMachinesOfTwoPadsPlayOneMatch) {
    MatchFolder folder;
    uint16_t port = freePort();
    std::vector<Machine> machines;
    machines.push_back(startMachine(folder, "host", 2, HOST_SCRIPT, hostRole(port, 2), FRAMES));
    machines.push_back(startMachine(folder, "joiner", 2, JOIN_SCRIPT, joinRole(port), FRAMES));
    expectAllEnd(machines);
    expectOneMatch(folder, machines, {0, 0, 1, 1}, 500);
    EXPECT_NE(machines[0].program->output().find("joined with 2 players"), std::string::npos);
}

// Three machines of two, two and one pads.
TEST(OnlineRun, ThreeMachinesOfTwoTwoAndOnePadPlayOneMatch) {
    MatchFolder folder;
    uint16_t port = freePort();
    std::vector<Machine> machines;
    machines.push_back(startMachine(folder, "host", 2, HOST_SCRIPT, hostRole(port, 3), FRAMES));
    machines.push_back(startMachine(folder, "second", 2, JOIN_SCRIPT, joinRole(port), FRAMES));
    machines.push_back(startMachine(folder, "third", 1, THIRD_SCRIPT, joinRole(port), FRAMES));
    expectAllEnd(machines);
    // Joiners are seated in the order they joined, which the test does not choose.
    std::vector<JsonValue> frames = readTrace(machines[0].trace(folder));
    ASSERT_FALSE(frames.empty());
    std::vector<int> seats = seatMachines(frames.back());
    std::vector<int> oneOrder = {0, 0, 1, 1, 2}, otherOrder = {0, 0, 1, 2, 2};
    EXPECT_TRUE(seats == oneOrder || seats == otherOrder);
    expectOneMatch(folder, machines, seats, 500);
}

// A duel to its end, timed so that it ends alike however the machines' frames and the match's
// ticks fall: the host's tank drives to the edge of its face and stands there, at one point of
// health; the joiner's tank, in the middle layer, turns it over to the host's face, drives up
// and fires until the host's tank is destroyed. Every machine shows the same verdict, runs the
// same countdown out and returns to the welcome screen after the same tick, and every record
// verifies to that tick.
const char* const DUEL_HOST = R"(# host
5 pad 0 lefty -1
300 tank 0 health 1
400 key 2 down
401 key 2 up
)";

std::string duelJoiner() {
    std::string script = R"(# joiner
700 pad 0 b 1
702 pad 0 b 0
740 pad 0 b 1
742 pad 0 b 0
800 pad 0 lefty -1
860 pad 0 lefty 0
)";
    for (int frame = 1000; frame < 1800; frame += 40)
        script += std::to_string(frame) + " pad 0 righttrigger 1\n" + std::to_string(frame + 4) +
                  " pad 0 righttrigger 0\n";
    return script;
}

TEST(OnlineRun, TwoMachinesPlayADuelToItsEnd) {
    MatchFolder folder;
    uint16_t port = freePort();
    std::vector<Machine> machines;
    machines.push_back(startMachine(folder, "host", 1, DUEL_HOST, hostRole(port, 2), 3300));
    machines.push_back(startMachine(folder, "joiner", 1, duelJoiner(), joinRole(port), 3300));
    expectAllEnd(machines);
    std::map<int, std::string> host = statesByTick(machines[0].trace(folder));
    std::map<int, std::string> joiner = statesByTick(machines[1].trace(folder));
    ASSERT_FALSE(host.empty());
    ASSERT_FALSE(joiner.empty());
    EXPECT_EQ(host.rbegin()->first, joiner.rbegin()->first) << "the match ends after one tick";
    int compared = 0;
    ASSERT_TRUE(sameAtCommonTicks(host, joiner, compared));
    EXPECT_GT(compared, 2500);
    std::string verdicts[2];
    for (size_t m = 0; m < machines.size(); ++m) {
        std::vector<JsonValue> frames = readTrace(machines[m].trace(folder));
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.back()["screen"].string, "welcome") << machines[m].name;
        // The last frame of the match: the host's tank destroyed, the joiner's the winner.
        const JsonValue* last = nullptr;
        for (const JsonValue& frame : frames)
            if (frame["screen"].string == "game")
                last = &frame;
        ASSERT_NE(last, nullptr);
        EXPECT_FALSE((*last)["players"][0]["alive"].boolean) << machines[m].name;
        EXPECT_TRUE((*last)["players"][1]["won"].boolean) << machines[m].name;
        ChildProcess verify(QUORL_BINARY, {"--replay", machines[m].record(folder), "--verify"},
                            folder.path.string());
        EXPECT_EQ(verify.waitForExit(120), 0) << verify.output();
        std::string said = verify.output();
        verdicts[m] = said.substr(said.find(": the replay agrees"));
    }
    EXPECT_EQ(verdicts[0], verdicts[1]);
    // The frame that plays the last tick shows the welcome screen.
    EXPECT_NE(verdicts[0].find(std::to_string(host.rbegin()->first + 1) + " ticks"),
              std::string::npos)
        << verdicts[0];
}

// Through a relay that delays every datagram 40 ms each way (and up to 15 ms more, so that
// they overtake each other) and loses 5 % of them, the match is still one match.
TEST(OnlineRun, ASlowLossyNetworkStillPlaysOneMatch) {
    MatchFolder folder;
    uint16_t port = freePort();
    UdpRelay relay(port, UdpRelay::Conditions{40, 15, 0.05, 7});
    ASSERT_NE(relay.port(), 0) << relay.problem();
    std::vector<Machine> machines;
    machines.push_back(startMachine(folder, "host", 2, HOST_SCRIPT, hostRole(port, 2), FRAMES));
    machines.push_back(
        startMachine(folder, "joiner", 2, JOIN_SCRIPT, joinRole(relay.port()), FRAMES));
    expectAllEnd(machines);
    expectOneMatch(folder, machines, {0, 0, 1, 1}, 400);
    EXPECT_GT(relay.dropped(), 0);
}

// A joiner killed mid-match: the host waits, then goes on, the joiner's tanks standing where
// they were; started again, the joiner comes back to its seats, catches up and plays the same
// match. A host killed: the joiner ends its match with the message.
TEST(OnlineRun, AKilledJoinerLeavesItsTanksStandingAndComesBackAndAKilledHostEndsTheMatch) {
    MatchFolder folder;
    uint16_t port = freePort();
    Machine host = startMachine(folder, "host", 1, "", hostRole(port, 2), 1500);
    Machine joiner = startMachine(folder, "joiner", 1, "100 pad 0 lefty -1\n", joinRole(port), 900);
    ASSERT_TRUE(waitForFrames(joiner.trace(folder), 250, 60));
    joiner.program->signal(SIGKILL);
    joiner.program->waitForExit(10);
    ASSERT_TRUE(waitForFrames(host.trace(folder), 700, 60));
    std::vector<JsonValue> frames = readTrace(host.trace(folder));
    ASSERT_GE(frames.size(), 700u);
    const JsonValue& late = frames[699];
    EXPECT_GT(late["matchTick"].num(), 450) << "the match went on";
    EXPECT_TRUE(late["players"][1]["alive"].boolean);
    std::string standing = sharedState(late);
    // The joiner's tank stood still for the last second.
    EXPECT_EQ(sharedState(frames[640]).substr(standing.find("| m1")),
              standing.substr(standing.find("| m1")));

    Machine back = startMachine(folder, "back", 1, "", joinRole(port), 400);
    EXPECT_EQ(back.program->waitForExit(120), 0) << back.program->output();
    EXPECT_EQ(host.program->waitForExit(120), 0) << host.program->output();
    const std::string& hosted = host.program->output();
    EXPECT_NE(hosted.find("its tanks stand"), std::string::npos) << hosted;
    EXPECT_NE(hosted.find("is back: its tanks play again from tick"), std::string::npos) << hosted;
    std::map<int, std::string> hostStates = statesByTick(host.trace(folder));
    std::map<int, std::string> backStates = statesByTick(back.trace(folder));
    int compared = 0;
    ASSERT_TRUE(sameAtCommonTicks(backStates, hostStates, compared));
    EXPECT_GT(compared, 200);
    EXPECT_GT(backStates.rbegin()->first, late["matchTick"].num()) << "it caught up";

    Machine host2 = startMachine(folder, "host2", 1, "", hostRole(port, 2), 2000);
    Machine joiner2 = startMachine(folder, "joiner2", 1, "", joinRole(port), 600);
    ASSERT_TRUE(waitForFrames(host2.trace(folder), 250, 60));
    host2.program->signal(SIGKILL);
    host2.program->waitForExit(10);
    EXPECT_EQ(joiner2.program->waitForExit(120), 0) << joiner2.program->output();
    EXPECT_NE(joiner2.program->output().find("The host has left: the match is over."),
              std::string::npos)
        << joiner2.program->output();
}

// A joiner of another version is refused, and both machines say which versions met.
TEST(OnlineRun, AnotherVersionIsRefusedOnBothSides) {
    MatchFolder folder;
    uint16_t port = freePort();
    Machine host = startMachine(folder, "host", 1, "", hostRole(port, 2), 300);
    Machine joiner =
        startMachine(folder, "joiner", 1, "", joinRole(port), 300, {"QUORL_NET_BUILD=0.0.1-other"});
    EXPECT_EQ(joiner.program->waitForExit(120), 0);
    EXPECT_EQ(host.program->waitForExit(120), 0);
    const std::string& joined = joiner.program->output();
    EXPECT_NE(joined.find("The host refused this machine: This machine runs Quorl 0.0.1-other"),
              std::string::npos)
        << joined;
    EXPECT_NE(joined.find("the host runs Quorl 0.1.0"), std::string::npos) << joined;
    const std::string& hosted = host.program->output();
    EXPECT_NE(hosted.find("it runs Quorl 0.0.1-other"), std::string::npos) << hosted;
    EXPECT_NE(hosted.find("this machine runs Quorl 0.1.0"), std::string::npos) << hosted;
}
