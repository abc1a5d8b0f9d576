// The lockstep against a plain model of it (lockstepmodel.h), in random matches whose machines
// send, resend, drop out and come back as an online match's do; and a drop naming ticks still on
// their way.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <vector>

#include "lockstepmodel.h"
#include "net/lockstep.h"

using locksteptest::LockstepModel;
using net::EditNote;
using net::Inputs;
using net::Lockstep;
using net::NO_MACHINE;

namespace {

struct Random { // the test's own choices (a 64-bit LCG), never the game's random source
    uint64_t state;
    int below(int n) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<int>((state >> 33) % static_cast<uint64_t>(n));
    }
};

// What a machine has made: its ticks, the edits before each, and the edits still on their way.
struct Source {
    std::vector<std::vector<ControlState>> ticks;
    std::vector<int> edits;
    std::vector<EditNote> unsent;
    int back = -1; // the tick it came back at

    void makeUpTo(int machine, int seats, int tick, Random& random) {
        while (static_cast<int>(ticks.size()) <= tick) {
            int t = static_cast<int>(ticks.size());
            ticks.emplace_back();
            for (int slot = 0; slot < seats; ++slot) {
                ControlState c;
                c.left.x = static_cast<float>(random.below(2001) - 1000) / 1000.0f;
                c.buttons = static_cast<uint16_t>(random.below(1 << ControlState::BUTTONS));
                c.connected = random.below(30) != 0;
                ticks.back().push_back(c);
            }
            int made = random.below(20) == 0 ? 1 + random.below(2) : 0;
            edits.push_back(made);
            for (int i = 0; i < made; ++i)
                unsent.push_back({machine, t,
                                  MatchEdit{static_cast<MatchEdit::Kind>(random.below(3)),
                                            random.below(6), random.below(256)},
                                  -1});
        }
    }
    Inputs batch(int machine, int from, int count) const {
        Inputs in{machine, from, {}, {}, {}};
        for (int t = from; t < from + count; ++t) {
            in.ticks.push_back(ticks[static_cast<size_t>(t)]);
            in.edits.push_back(edits[static_cast<size_t>(t)]);
        }
        return in;
    }
};

Inputs batch(int machine, int seats, int first, int count) {
    Inputs in{machine, first, {}, {}, {}};
    for (int t = first; t < first + count; ++t) {
        ControlState c;
        c.left.x = static_cast<float>(t) / 1000.0f;
        c.connected = true;
        in.ticks.emplace_back(static_cast<size_t>(seats), c);
        in.edits.push_back(0);
    }
    return in;
}

} // namespace

// Random matches of random machines and seats: each machine's ticks arrive as overlapping
// batches in random order among the machines, resent, now and then with a gap, far ahead, of
// another seat count or of no machine; edits arrive before or after the ticks they come before;
// machines are dropped after a tick that may not have arrived yet and come back; ticks are played
// as they become ready, and forgotten as a joiner forgets them or kept as the host keeps them. At
// every step the lockstep answers as the model does.
TEST(Lockstep, AgreesWithAPlainModelWhateverComesWhen) {
    Random random{11};
    std::map<std::string, int> seen; // how often each case was met
    for (int match = 0; match < 100; ++match) {
        int machines = 1 + random.below(net::MAX_MACHINES);
        std::vector<uint8_t> seatMachines;
        for (int seat = 0, seats = 1 + random.below(MAX_PLAYERS); seat < seats; ++seat) {
            int m = random.below(machines + 1);
            seatMachines.push_back(m == machines ? NO_MACHINE : static_cast<uint8_t>(m));
        }
        Lockstep lockstep(seatMachines, machines);
        LockstepModel model(seatMachines, machines);
        std::vector<Source> sources(static_cast<size_t>(machines));
        bool keepsAll = random.below(2) == 0; // as the host does
        int playing = 0;
        for (int step = 0; step < 300; ++step) {
            int m = random.below(machines), action = random.below(100);
            Source& source = sources[static_cast<size_t>(m)];
            int seats = model.seatsOf(m), next = model.next(m);
            std::string error;
            if (action < 45) {
                int kind = random.below(40); // 0: a gap, 1: another seat count, 2: no machine
                int from =
                    kind == 0 ? next + 1 + random.below(3) : std::max(0, next - random.below(40));
                int count = 1 + random.below(random.below(10) ? net::MAX_TICKS_PER_INPUTS
                                                              : net::MAX_TICKS_PER_MESSAGE);
                source.makeUpTo(m, seats, from + count - 1, random);
                Inputs in = source.batch(m, from, count);
                if (kind == 1)
                    for (std::vector<ControlState>& tick : in.ticks)
                        tick.emplace_back();
                if (kind == 2)
                    in.machine = machines;
                bool taken = model.add(in, playing);
                ASSERT_EQ(lockstep.add(in, playing, error), taken) << match << " " << step;
                ASSERT_EQ(error.empty(), taken);
                if (!taken)
                    ++seen[kind == 0   ? "gap"
                           : kind == 1 ? "seats"
                           : kind == 2 ? "stranger"
                                       : "far"];
                else if (from < next)
                    ++seen["resent"];
                if (taken && model.dropped(m) && from + count - 1 > model.lastTick(m))
                    ++seen["past drop"];
            } else if (action < 60 && !source.unsent.empty()) {
                size_t i =
                    static_cast<size_t>(random.below(static_cast<int>(source.unsent.size())));
                EditNote note = source.unsent[i];
                bool taken = model.addEdit(note, playing);
                ASSERT_EQ(lockstep.addEdit(note, playing, error), taken) << match << " " << step;
                ASSERT_EQ(error.empty(), taken);
                if (taken || note.tick < playing)
                    source.unsent.erase(source.unsent.begin() + static_cast<long>(i));
                seen["edit late"] += !taken && note.tick < playing;
            } else if (action < 85) { // play what is ready, as far as a frame goes
                for (int n = 1 + random.below(8); n > 0 && lockstep.ready(playing); --n) {
                    seen["edits made"] += !lockstep.editsAt(playing).empty();
                    ++playing;
                    ++seen["played"];
                    if (!keepsAll) {
                        lockstep.forget(playing);
                        model.forget(playing);
                    }
                }
            } else if (action < 90 && m > 0 && !model.dropped(m)) {
                // After a tick it gave or one still on its way, never before one played.
                int last =
                    std::max(next - 1, source.back - 1) + (random.below(3) ? random.below(41) : 0);
                source.makeUpTo(m, seats, last, random);
                seen["drop ahead"] += last >= next;
                lockstep.drop(m, last);
                model.drop(m, last);
            } else if (action < 94 && m > 0 && model.dropped(m)) {
                // Back from a tick the host has not given yet, past its drop: the ticks in
                // between at rest.
                int last = model.lastTick(m);
                int back = std::max(model.next(0), last + 1) + random.below(4);
                ++seen[next == last + 1 ? "back filled" : "back later"];
                source.ticks.resize(static_cast<size_t>(last + 1));
                source.edits.resize(static_cast<size_t>(last + 1));
                source.ticks.resize(static_cast<size_t>(back),
                                    std::vector<ControlState>(static_cast<size_t>(seats)));
                source.edits.resize(static_cast<size_t>(back), 0);
                source.unsent.erase(
                    std::remove_if(source.unsent.begin(), source.unsent.end(),
                                   [&](const EditNote& n) { return n.tick >= back; }),
                    source.unsent.end());
                source.back = back;
                // The host's return note rides with its tick: one more edit before it.
                sources[0].makeUpTo(0, model.seatsOf(0), back, random);
                ++sources[0].edits[static_cast<size_t>(back)];
                sources[0].unsent.push_back({0, back, MatchEdit(), m});
                lockstep.readmit(m, back);
                model.readmit(m, back);
            } else if (action < 95 && match % 10 == 0) { // a flood of edits, now and then
                for (int i = 0; i < 100; ++i) {
                    EditNote note{m, playing + random.below(Lockstep::MAX_LEAD), MatchEdit(), -1};
                    bool taken = model.addEdit(note, playing);
                    ASSERT_EQ(lockstep.addEdit(note, playing, error), taken);
                    seen["flooded"] += !taken;
                }
            } else if (action < 96) { // as a machine that came back does
                int tick = playing + random.below(200);
                lockstep.catchUpTo(tick);
                model.catchUpTo(tick);
            }
            lockstep.validate();
            int until = playing;
            for (int i = 0; i < machines; ++i)
                until = std::max(until, model.next(i) + 1);
            ASSERT_EQ(locksteptest::differs(lockstep, model, playing,
                                            std::min(until, playing + Lockstep::MAX_LEAD + 2)),
                      "")
                << "match " << match << " step " << step << " playing " << playing;
        }
    }
    for (const char* kind :
         {"gap", "seats", "stranger", "far", "resent", "past drop", "edit late", "edits made",
          "played", "drop ahead", "back filled", "back later", "flooded"})
        EXPECT_GT(seen[kind], 10) << kind; // every case met, and often
}

// A drop may name ticks not here yet (the host had them; they are on their way): the ticks up to
// it are waited for, and read as given; past it the seat reads at rest and unplugged, and its
// ticks are let go.
TEST(Lockstep, ADropNamingTicksOnTheirWayWaitsForThem) {
    Lockstep lockstep({0, 1}, 2);
    std::string error;
    ASSERT_TRUE(lockstep.add(batch(0, 1, 0, 20), 0, error)) << error;
    ASSERT_TRUE(lockstep.add(batch(1, 1, 0, 3), 0, error)) << error;
    lockstep.drop(1, 9);
    EXPECT_EQ(lockstep.lastTick(1), 9);
    for (int t = 0; t < 20; ++t)
        EXPECT_EQ(lockstep.ready(t), t <= 2 || t > 9) << t;
    EXPECT_EQ(lockstep.missing(5), std::vector<int>{1});
    ASSERT_TRUE(lockstep.add(batch(1, 1, 2, 12), 3, error)) << error; // to tick 13
    EXPECT_EQ(lockstep.next(1), 10);
    for (int t = 0; t < 20; ++t) {
        ASSERT_TRUE(lockstep.ready(t)) << t;
        EXPECT_EQ(lockstep.controls(t, 1), t <= 9 ? batch(1, 1, t, 1).ticks[0][0] : ControlState())
            << t;
    }
}

// Nothing reads a tick that is not here.
TEST(LockstepDeathTest, ReadingATickNotHereIsAProgrammingError) {
    Lockstep lockstep({0, 1}, 2);
    std::string error;
    ASSERT_TRUE(lockstep.add(batch(1, 1, 0, 3), 0, error)) << error;
    EXPECT_EQ(lockstep.controls(2, 1), batch(1, 1, 2, 1).ticks[0][0]);
    EXPECT_DEATH(lockstep.controls(3, 1), "");
    EXPECT_DEATH(lockstep.controls(0, 0), "");
}

// A machine comes back as an online match brings it back: the host's return rides with the
// host's tick, counted among the edits made before it. The return is no edit of the match, and
// the edits the machine makes once back are made.
TEST(Lockstep, AReturnIsNoEditAndAMachineBackMakesItsEdits) {
    Lockstep lockstep({0, 1}, 2);
    std::string error;
    ASSERT_TRUE(lockstep.add(batch(1, 1, 0, 5), 0, error)) << error;
    lockstep.drop(1, 4);
    Inputs host = batch(0, 1, 0, 12), back = batch(1, 1, 8, 4);
    host.edits[8] = 1;
    back.edits[2] = 1; // before its tick 10
    const MatchEdit health{MatchEdit::Kind::SET_HEALTH, 1, 7};
    ASSERT_TRUE(lockstep.add(host, 0, error)) << error;
    ASSERT_TRUE(lockstep.addEdit({0, 8, MatchEdit(), 1}, 0, error)) << error;
    lockstep.readmit(1, 8);
    ASSERT_TRUE(lockstep.add(back, 0, error)) << error;
    ASSERT_TRUE(lockstep.addEdit({1, 10, health, -1}, 0, error)) << error;
    for (int t = 0; t < 12; ++t)
        ASSERT_TRUE(lockstep.ready(t)) << t;
    EXPECT_EQ(lockstep.editsAt(8).size(), 0u);
    ASSERT_EQ(lockstep.editsAt(10).size(), 1u);
    EXPECT_EQ(lockstep.editsAt(10)[0].value, 7);
}

// A machine told it came back at the largest tick (a host's EDIT may say so) reaches as far as a
// tick goes, without overflowing on the way.
TEST(Lockstep, ACatchUpToTheLargestTickStaysInReach) {
    Lockstep lockstep({0}, 1);
    lockstep.catchUpTo(INT_MAX);
    std::string error;
    EXPECT_TRUE(lockstep.add(batch(0, 1, 0, 10), 0, error)) << error;
    EXPECT_TRUE(lockstep.addEdit({0, INT_MAX, MatchEdit(), -1}, 0, error)) << error;
}
