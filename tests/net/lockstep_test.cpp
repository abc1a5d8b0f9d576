// The lockstep against a plain model of it: every tick each machine gave, in a map, and the
// tick after which each dropped machine stands; ready, missing and controls read from those.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <vector>

#include "net/lockstep.h"

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

// What machine `m`'s seat of slot `slot` holds at tick `t`: different for every one of them.
ControlState held(int m, int slot, int t) {
    ControlState c;
    c.left.x = static_cast<float>(t % 1000) / 1000.0f;
    c.buttons = static_cast<uint16_t>(m * 8 + slot);
    c.connected = true;
    return c;
}

Inputs batch(int machine, int seats, int first, int count) {
    Inputs inputs{machine, first, {}};
    for (int t = first; t < first + count; ++t) {
        inputs.ticks.emplace_back();
        for (int slot = 0; slot < seats; ++slot)
            inputs.ticks.back().push_back(held(machine, slot, t));
    }
    return inputs;
}

struct Model {
    std::vector<uint8_t> seatMachines;
    std::vector<int> given;     // by machine: ticks 0..given-1 are here
    std::vector<int> dropAfter; // by machine: INT_MAX while it is in
    bool ready(int t, int m) const { return t < given[m] || dropAfter[m] != INT_MAX; }
    ControlState controls(int t, int seat) const {
        int m = seatMachines[static_cast<size_t>(seat)];
        if (m == NO_MACHINE || t > dropAfter[m])
            return ControlState();
        return held(
            m, static_cast<int>(std::count(seatMachines.begin(), seatMachines.begin() + seat, m)),
            t);
    }
};

} // namespace

// Random matches, each machine's batches arriving in order but interleaved at random with the
// others', ticks played as they become ready, machines dropped at random ticks, batches out of
// turn, far ahead, of another seat count, of no machine or from a machine gone: at every step the
// lockstep says what the model says.
TEST(Lockstep, AgreesWithAPlainModelWhateverTheOrderOfArrival) {
    Random random{11};
    int refusals[6] = {};
    for (int match = 0; match < 150; ++match) {
        int machines = 1 + random.below(net::MAX_MACHINES);
        Model model{{}, std::vector<int>(machines, 0), std::vector<int>(machines, INT_MAX)};
        for (int seat = 0, seats = 1 + random.below(MAX_PLAYERS); seat < seats; ++seat) {
            int m = random.below(machines + 1);
            model.seatMachines.push_back(m == machines ? NO_MACHINE : static_cast<uint8_t>(m));
        }
        Lockstep lockstep(model.seatMachines, machines);
        int playing = 0;
        for (int step = 0; step < 400; ++step) {
            int m = random.below(machines), action = random.below(20);
            int seats = lockstep.seatsOf(m);
            std::string error;
            if (action < 12) { // its next batch, or one out of turn, of another seat count or
                               // of a machine not in the match
                int skew = action == 0 ? 1 + random.below(3) : action == 1 ? -1 : 0;
                int count = 1 + random.below(net::MAX_TICKS_PER_INPUTS);
                Inputs in = batch(action == 3 ? machines : m, seats + (action == 2),
                                  model.given[m] + skew, count);
                // Refused as 0, 1 out of turn, 2 of other seats, 3 of no machine, 4 from a
                // machine gone, 5 too far ahead; -1 taken.
                int refused = action < 4                                                  ? action
                              : model.dropAfter[m] != INT_MAX                             ? 4
                              : model.given[m] + count - 1 > playing + Lockstep::MAX_LEAD ? 5
                                                                                          : -1;
                if (refused < 0)
                    model.given[m] += count;
                else
                    ++refusals[refused];
                ASSERT_EQ(lockstep.add(in, playing, error), refused < 0) << error;
                EXPECT_EQ(error.empty(), refused < 0);
            } else if (action < 19) { // play what is ready, as far as a frame goes
                for (int n = random.below(6); n > 0 && lockstep.ready(playing); --n)
                    lockstep.forget(++playing);
            } else { // dropped after a tick it gave, or before any
                int last = model.given[m] - 1 - random.below(model.given[m] + 1);
                if (model.dropAfter[m] == INT_MAX)
                    model.dropAfter[m] = last;
                lockstep.drop(m, last);
            }
            lockstep.validate();
            for (int i = 0; i < machines; ++i) {
                ASSERT_EQ(lockstep.next(i), model.given[i]);
                ASSERT_EQ(lockstep.dropped(i), model.dropAfter[i] != INT_MAX);
                ASSERT_EQ(lockstep.lastTick(i),
                          lockstep.dropped(i) ? model.dropAfter[i] : model.given[i] - 1);
            }
            for (int t = playing; t < playing + Lockstep::MAX_LEAD + 2; ++t) {
                std::vector<int> missing;
                for (int i = 0; i < machines; ++i)
                    if (!model.ready(t, i))
                        missing.push_back(i);
                ASSERT_EQ(lockstep.missing(t), missing) << "tick " << t;
                ASSERT_EQ(lockstep.ready(t), missing.empty()) << "tick " << t;
                for (int seat = 0; missing.empty() && t < playing + 8 &&
                                   seat < static_cast<int>(model.seatMachines.size());
                     ++seat)
                    ASSERT_EQ(lockstep.controls(t, seat), model.controls(t, seat))
                        << "match " << match << " tick " << t << " seat " << seat;
            }
        }
    }
    for (int kind = 0; kind < 6; ++kind) // every refusal met, and often
        EXPECT_GT(refusals[kind], 10) << kind;
}

// A drop may name a tick the machine never gave (a host's DROP says what it likes): the machine
// then stands from the last tick it did give. Otherwise the ticks between read as ready with
// nothing to read.
TEST(Lockstep, ADropPastTheTicksGivenStandsFromTheLastGiven) {
    Lockstep lockstep({0, 1}, 2);
    std::string error;
    ASSERT_TRUE(lockstep.add(batch(0, 1, 0, 10), 0, error)) << error;
    ASSERT_TRUE(lockstep.add(batch(1, 1, 0, 3), 0, error)) << error;
    lockstep.drop(1, 9);
    ASSERT_EQ(lockstep.lastTick(1), 2);
    for (int t = 0; t < 10; ++t) {
        ASSERT_TRUE(lockstep.ready(t));
        EXPECT_EQ(lockstep.controls(t, 1), t <= 2 ? held(1, 0, t) : ControlState()) << t;
    }
}
