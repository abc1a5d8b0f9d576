// Machines of an online match in one process, over 127.0.0.1: a host and joiners, each with a
// headless match of its own played from the lockstep, as the game screen plays it.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../replay/replaytesting.h"
#include "net/inputstream.h"
#include "net/netlink.h"
#include "net/onlinesession.h"

using net::OnlineSession;
using Phase = OnlineSession::Phase;
using replaytest::padAt;

namespace {

std::vector<RecordedSeat> pads(int count, const std::string& prefix) {
    std::vector<RecordedSeat> seats;
    for (int i = 0; i < count; ++i)
        seats.push_back(RecordedSeat{SeatKind::PAD, prefix + " pad " + std::to_string(i + 1),
                                     Difficulty::NORMAL});
    return seats;
}

// A clock the test moves: the sessions' waits and drops follow it, not the machine's pace.
struct TestClock {
    double seconds = 0;
    OnlineSession::Clock clock() {
        return [this] { return seconds; };
    }
};

// What a machine's match is here: a running hash of every seat's controls, tick by tick. The
// lockstep's whole job is that every machine plays each tick from the same controls; the
// game's own matches cannot stand in, as they share the process's one random source.
uint64_t mix(uint64_t hash, const ControlState& c) {
    const float values[6] = {c.left.x, c.left.y, c.right.x, c.right.y, c.triggerA, c.triggerB};
    for (float v : values) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        hash = (hash ^ bits) * 0x100000001b3ull;
    }
    hash = (hash ^ c.buttons) * 0x100000001b3ull;
    return (hash ^ (c.connected ? 1u : 2u)) * 0x100000001b3ull;
}

// One machine: its session and the state it plays from the lockstep. Its seats' pads play
// padAt under numbers of their own, so each machine's players differ.
struct Machine {
    std::unique_ptr<OnlineSession> session;
    int tick = 0;
    int firstPad = 0; // padAt's seat number of this machine's first pad
    uint64_t state = 0xcbf29ce484222325ull;
    std::vector<uint64_t> hashes;      // after every tick
    std::vector<std::string> messages; // everything the session said

    void service() {
        if (!session)
            return;
        session->service(tick);
        for (std::string& line : session->takeMessages())
            messages.push_back(line);
    }

    // Gives this machine's controls and plays the next tick if it may; true when it played.
    bool step() {
        if (!session || session->phase() != Phase::PLAYING)
            return false;
        std::vector<ControlState> local;
        int mine = 0;
        for (uint8_t machine : session->start().seatMachines)
            if (machine == session->self())
                local.push_back(padAt(firstPad + mine++, tick));
        session->schedule(tick, local);
        session->sendInputs(tick);
        if (!session->ready(tick))
            return false;
        for (size_t seat = 0; seat < session->start().seatMachines.size(); ++seat)
            state = mix(state, session->controls(tick, static_cast<int>(seat)));
        ++tick;
        hashes.push_back(state);
        if (tick % net::HASH_INTERVAL == 0)
            session->hashAfter(tick, state);
        return true;
    }

    bool said(const std::string& part) const {
        for (const std::string& line : messages)
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    }
};

// Whether two machines were in the same state after each of the first `ticks` ticks; where
// not, the first tick after which they differed.
testing::AssertionResult sameStates(const Machine& a, const Machine& b, int ticks) {
    if (a.hashes.size() < static_cast<size_t>(ticks) ||
        b.hashes.size() < static_cast<size_t>(ticks))
        return testing::AssertionFailure() << "fewer than " << ticks << " ticks played";
    for (int t = 0; t < ticks; ++t)
        if (a.hashes[static_cast<size_t>(t)] != b.hashes[static_cast<size_t>(t)])
            return testing::AssertionFailure() << "tick " << t + 1;
    return testing::AssertionSuccess();
}

class OnlineSessions : public testing::Test {
protected:
    // Services every machine until `done` holds or `rounds` rounds have passed; each round
    // also plays a tick on every machine that may.
    bool runUntil(const std::function<bool()>& done, int rounds = 2000) {
        for (int i = 0; i < rounds; ++i) {
            for (Machine* machine : machines) {
                machine->service();
                // One tick a round, more while behind the others, as the game screen does.
                for (int ticks = 0; ticks < 240 && machine->step(); ++ticks)
                    if (machine->session->lag(machine->tick) <= 0)
                        break;
            }
            if (done())
                return true;
            if (i % 50 == 49)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return done();
    }

    std::unique_ptr<Machine> host(int padCount, const std::string& build = "test") {
        auto machine = std::make_unique<Machine>();
        std::string error;
        machine->session =
            OnlineSession::host(0, "Host", pads(padCount, "host"), build, error, clock.clock());
        EXPECT_TRUE(machine->session) << error;
        machines.push_back(machine.get());
        return machine;
    }

    std::unique_ptr<Machine> join(const Machine& host, int padCount, const std::string& name,
                                  const std::string& build = "test") {
        auto machine = std::make_unique<Machine>();
        std::string error;
        machine->session = OnlineSession::join("127.0.0.1", host.session->port(), name,
                                               pads(padCount, name), build, error, clock.clock());
        EXPECT_TRUE(machine->session) << error;
        machines.push_back(machine.get());
        return machine;
    }

    bool lobbyOf(Machine& host, size_t count) {
        return runUntil([&] { return host.session->machines().size() == count; });
    }

    void start(Machine& host, uint32_t seed = 7) {
        std::string error;
        ASSERT_TRUE(host.session->startMatch(LevelSource(), MatchSettings(), seed, error)) << error;
    }

    TestClock clock;
    std::vector<Machine*> machines;
};

} // namespace

// Two machines of two pads and one of one play from the same controls tick by tick: the seats
// in the host's order with their machines, every state alike on all three, and each pad's
// controls as its machine read them, a delay later.
TEST_F(OnlineSessions, ThreeMachinesPlayTheSameMatchTickByTick) {
    auto first = host(2);
    auto second = join(*first, 2, "Second");
    auto third = join(*first, 1, "Third");
    second->firstPad = 2;
    third->firstPad = 4;
    ASSERT_TRUE(lobbyOf(*first, 3));
    start(*first);
    const int TICKS = 600;
    ASSERT_TRUE(runUntil(
        [&] { return first->tick >= TICKS && second->tick >= TICKS && third->tick >= TICKS; },
        200000))
        << first->tick << " " << second->tick << " " << third->tick << " "
        << first->session->stopMessage() << "|" << second->session->stopMessage() << "|"
        << third->session->stopMessage();
    const std::vector<uint8_t> expected = {0, 0, 1, 1, 2};
    for (Machine* machine : machines) {
        EXPECT_EQ(machine->session->start().seatMachines, expected);
        EXPECT_EQ(machine->session->phase(), Phase::PLAYING) << machine->session->stopMessage();
    }
    EXPECT_EQ(second->session->self(), 1);
    EXPECT_EQ(third->session->self(), 2);
    int delay = net::OnlineSession::DEFAULT_DELAY; // on loopback
    for (int seat = 0; seat < 5; ++seat)
        EXPECT_EQ(third->session->controls(TICKS - 1, seat), padAt(seat, TICKS - 1 - delay))
            << "seat " << seat;
    ASSERT_TRUE(sameStates(*first, *second, TICKS));
    ASSERT_TRUE(sameStates(*first, *third, TICKS));
}

// A machine whose state differs stops every machine at the first hash after it, with the tick.
TEST_F(OnlineSessions, ADifferentStateStopsBothAtTheNextHash) {
    auto first = host(1);
    auto second = join(*first, 1, "Second");
    second->firstPad = 1;
    ASSERT_TRUE(lobbyOf(*first, 2));
    start(*first);
    ASSERT_TRUE(runUntil([&] { return second->tick >= 40 && first->tick >= 40; }, 100000));
    second->state ^= 1; // as a change of the game's code on one side would
    ASSERT_TRUE(runUntil(
        [&] {
            return first->session->phase() == Phase::STOPPED &&
                   second->session->phase() == Phase::STOPPED;
        },
        100000));
    int tick = (std::max(first->tick, second->tick) / 30) * 30;
    EXPECT_LE(tick, 90);
    for (Machine* machine : machines)
        EXPECT_EQ(machine->session->stopMessage().rfind("Out of sync at tick ", 0), 0u)
            << machine->session->stopMessage();
    EXPECT_EQ(first->session->stopMessage(), second->session->stopMessage());
    EXPECT_EQ(first->session->stopMessage(), "Out of sync at tick 60");
}

// Machines of another build are refused, and both sides say which builds met.
TEST_F(OnlineSessions, AnotherBuildIsRefusedOnBothSidesNamingBoth) {
    auto first = host(1, "1.0.0");
    auto second = join(*first, 1, "Second", "0.9.0");
    ASSERT_TRUE(runUntil([&] { return second->session->phase() == Phase::STOPPED; }));
    const std::string& refused = second->session->stopMessage();
    EXPECT_NE(refused.find("0.9.0"), std::string::npos) << refused;
    EXPECT_NE(refused.find("1.0.0"), std::string::npos) << refused;
    ASSERT_TRUE(runUntil([&] { return first->said("Refused Second"); }));
    EXPECT_TRUE(first->said("0.9.0"));
    EXPECT_EQ(first->session->machines().size(), 1u);
}

// A joiner that stops answering is waited for, named, then dropped after three seconds: its
// seats stand from the last tick it gave, on the host and on the other joiner alike.
TEST_F(OnlineSessions, ASilentMachineIsNamedThenDroppedAndTheOthersGoOn) {
    auto first = host(1);
    auto second = join(*first, 1, "Second");
    auto third = join(*first, 1, "Third");
    second->firstPad = 1;
    third->firstPad = 2;
    ASSERT_TRUE(lobbyOf(*first, 3));
    start(*first);
    ASSERT_TRUE(runUntil([&] { return first->tick >= 100 && third->tick >= 100; }, 100000));
    // The second machine falls silent: no service, no ticks.
    machines.erase(std::find(machines.begin(), machines.end(), second.get()));
    runUntil([] { return false; }, 300);
    int stuck = first->tick;
    clock.seconds += 0.3;
    first->service();
    EXPECT_EQ(first->session->waitingText(), "Waiting for Second...");
    clock.seconds += 3.0;
    ASSERT_TRUE(
        runUntil([&] { return first->tick >= stuck + 200 && third->tick >= stuck + 200; }, 100000));
    EXPECT_TRUE(first->said("Second stopped answering"));
    EXPECT_TRUE(third->said("Second has left"));
    ASSERT_TRUE(sameStates(*first, *third, stuck + 200));
    // Its seat now reads an unplugged pad on both.
    EXPECT_FALSE(first->session->controls(first->tick - 1, 1).connected);
    EXPECT_FALSE(third->session->controls(third->tick - 1, 1).connected);
}

// A host that ends the match ends it on the joiners, saying so.
TEST_F(OnlineSessions, AHostThatLeavesEndsTheMatchOnTheOthers) {
    auto first = host(1);
    auto second = join(*first, 1, "Second");
    ASSERT_TRUE(lobbyOf(*first, 2));
    start(*first);
    ASSERT_TRUE(runUntil([&] { return second->tick >= 30; }, 100000));
    machines.erase(machines.begin());
    first.reset();
    ASSERT_TRUE(runUntil([&] { return second->session->phase() == Phase::STOPPED; }));
    // Its last word, or its going if that overtakes it.
    EXPECT_EQ(second->session->stopMessage().rfind("The host has ", 0), 0u)
        << second->session->stopMessage();
}

// A machine dropped for silence comes back under its name: it is sent the match so far, plays it
// through to catch up, and its seat plays again from the tick the host names, the same on every
// machine.
TEST_F(OnlineSessions, ADroppedMachineComesBackToItsSeatsAndCatchesUp) {
    auto first = host(1);
    auto second = join(*first, 1, "Second");
    auto third = join(*first, 1, "Third");
    second->firstPad = 1;
    third->firstPad = 2;
    ASSERT_TRUE(lobbyOf(*first, 3));
    start(*first);
    ASSERT_TRUE(runUntil([&] { return first->tick >= 100; }, 100000));
    machines.erase(std::find(machines.begin(), machines.end(), third.get()));
    third->session.reset(); // the program is gone
    runUntil([] { return false; }, 300);
    clock.seconds += 4.0;
    ASSERT_TRUE(runUntil(
        [&] { return first->said("Third stopped answering") || first->said("Third left"); },
        100000));
    ASSERT_TRUE(runUntil([&] { return first->tick >= 400 && second->tick >= 400; }, 100000));

    auto back = join(*first, 1, "Third");
    back->firstPad = 2;
    ASSERT_TRUE(runUntil([&] { return first->said("Third is back"); }, 100000))
        << first->messages.back();
    int until = first->tick + 300;
    ASSERT_TRUE(runUntil(
        [&] { return back->tick >= until && first->tick >= until && second->tick >= until; },
        200000))
        << back->tick << " " << first->tick << " " << first->messages.back() << " | "
        << (back->messages.empty() ? "" : back->messages.back());
    EXPECT_EQ(back->session->self(), 2);
    EXPECT_TRUE(second->said("Third is back"));
    ASSERT_TRUE(sameStates(*first, *second, until));
    ASSERT_TRUE(sameStates(*first, *back, until));
    // Its seat stood while it was away and plays its pad again now (the host keeps them all).
    EXPECT_TRUE(first->session->controls(90, 2).connected);
    EXPECT_FALSE(first->session->controls(300, 2).connected);
    EXPECT_TRUE(first->session->controls(until - 1, 2).connected);
    for (Machine* machine : machines)
        EXPECT_EQ(machine->session->phase(), Phase::PLAYING) << machine->session->stopMessage();
}

// A machine comes back while another stays away: it is told who is gone, so it does not wait for
// them, catches up and plays the host's match.
TEST_F(OnlineSessions, AMachineComesBackWhileAnotherStaysAway) {
    auto first = host(1);
    auto second = join(*first, 1, "Second");
    auto third = join(*first, 1, "Third");
    second->firstPad = 1;
    third->firstPad = 2;
    ASSERT_TRUE(lobbyOf(*first, 3));
    start(*first);
    ASSERT_TRUE(runUntil([&] { return first->tick >= 100; }, 100000));
    for (std::unique_ptr<Machine>* gone : {&third, &second}) {
        machines.erase(std::find(machines.begin(), machines.end(), gone->get()));
        (*gone)->session.reset();
        runUntil([] { return false; }, 300);
        clock.seconds += 4.0;
        int from = first->tick;
        ASSERT_TRUE(runUntil([&] { return first->tick >= from + 100; }, 100000));
    }
    auto back = join(*first, 1, "Second");
    back->firstPad = 1;
    ASSERT_TRUE(runUntil([&] { return first->said("Second is back"); }, 100000));
    int until = first->tick + 300;
    ASSERT_TRUE(runUntil([&] { return back->tick >= until && first->tick >= until; }, 200000))
        << back->tick << " of " << until << ": "
        << (back->messages.empty() ? "" : back->messages.back());
    ASSERT_TRUE(sameStates(*first, *back, until));
}

// A machine comes back to a match of some minutes: more of it to catch up with than ENet sends
// reliably at once, while the host's controls of every frame go unreliably, and may come first.
TEST_F(OnlineSessions, AMachineComesBackToALongMatch) {
    auto first = host(2);
    auto second = join(*first, 2, "Second");
    second->firstPad = 2;
    ASSERT_TRUE(lobbyOf(*first, 2));
    start(*first);
    ASSERT_TRUE(runUntil([&] { return first->tick >= 9000; }, 1000000));
    machines.erase(std::find(machines.begin(), machines.end(), second.get()));
    second->session.reset();
    runUntil([] { return false; }, 300);
    clock.seconds += 4.0;
    ASSERT_TRUE(runUntil(
        [&] { return first->said("Second stopped answering") || first->said("Second left"); },
        100000));
    auto back = join(*first, 2, "Second");
    back->firstPad = 2;
    int until = first->tick + 300;
    ASSERT_TRUE(runUntil([&] { return back->tick >= until && first->tick >= until; }, 400000))
        << back->tick << " of " << until << ": " << back->session->stopMessage();
    ASSERT_TRUE(sameStates(*first, *back, until));
}

// A host that sends a joiner controls for the joiner's own seat at the largest ticks is refused,
// with no overflow on the way (which the sanitizers would find).
TEST_F(OnlineSessions, AJoinerRefusesItsOwnControlsAtTheLargestTicks) {
    std::string error;
    std::unique_ptr<net::NetLink> fake = net::NetLink::listen(0, 1, net::MAX_TO_HOST, error);
    ASSERT_TRUE(fake) << error;
    Machine joiner;
    joiner.session = OnlineSession::join("127.0.0.1", fake->port(), "Joiner", pads(1, "Joiner"),
                                         "test", error, clock.clock());
    ASSERT_TRUE(joiner.session) << error;
    net::NetLink::Event event;
    auto exchange = [&](const std::function<bool()>& done) {
        for (int i = 0; i < 5000 && !done(); ++i) {
            joiner.service();
            while (fake->poll(event) && !done()) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return done();
    };
    ASSERT_TRUE(exchange([&] {
        return event.kind == net::NetLink::Event::Kind::RECEIVED && !event.data.empty() &&
               event.data[0] == static_cast<uint8_t>(net::MessageType::HELLO);
    }));
    net::Start start{{"Host", "Joiner"}, 1, {}, {0, 1}};
    start.header.seats = pads(2, "pad");
    net::InputsMessage own{
        {}, {net::Inputs{1, INT_MAX - 1, {{padAt(0, 0)}, {padAt(0, 1)}}, {0, 0}, {}}}};
    std::string bytes[3];
    net::encodeWelcome(net::Welcome{net::PROTOCOL_VERSION, "test"}, bytes[0]);
    net::encodeStart(start, bytes[1]);
    net::encodeInputs(own, bytes[2]);
    for (const std::string& message : bytes)
        fake->send(0, message);
    fake->flush();
    ASSERT_TRUE(exchange([&] { return joiner.session->phase() == Phase::STOPPED; }));
    EXPECT_EQ(joiner.session->stopMessage().rfind("The host sent bad inputs", 0), 0u)
        << joiner.session->stopMessage();
}
