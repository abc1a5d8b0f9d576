#pragma once

// Headless matches for the replay tests: pads that play a fixed, busy programme of their own
// (driving, turning, firing, switching items, turning layers, unplugging), and records made of
// random ticks to read back.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "match/match.h"
#include "replay/matchrecord.h"
#include "replay/replayinput.h"
#include "support/gamerun.h"

namespace replaytest {

constexpr float TICK = 1.0f / 60;

// Runs f with the game's diagnostics ("pos: ...", item switches, bounces) swallowed.
template <typename F> void quietly(F f) {
    testing::internal::CaptureStdout();
    f();
    testing::internal::GetCapturedStdout();
}

// A small generator for the tests' own choices; never the game's random source.
struct TestRandom {
    explicit TestRandom(uint64_t seed) : state(seed * 0x9e3779b97f4a7c15ull + 1) {}
    uint32_t next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }
    float unit() { return static_cast<float>(next() >> 8) / 16777216.0f; } // [0, 1)
    uint64_t state;
};

// What pad `seat` holds at tick `t`: a programme busy enough to fire every item, turn layers
// (which starts random turns and spawns boxes), unplug for a while and drive into blocks.
inline ControlState padAt(int seat, int t) {
    ControlState c;
    c.connected = !(seat == 2 && t >= 200 && t < 260); // pad 3 is unplugged for a second
    if (!c.connected)
        return c;
    int phase = (t + seat * 37) % 240;
    c.left.y = phase < 150 ? -1.0f : (phase < 180 ? 0.5f : 0.0f);
    c.left.x = (seat % 2 ? 1.0f : -1.0f) * (phase >= 90 && phase < 130 ? 0.75f : 0.0f);
    c.right.x = static_cast<float>((t * (seat + 1)) % 65) / 32.0f - 1.0f; // tilts the map
    c.triggerA = (t + seat * 11) % 47 < 5 ? 1.0f : -0.0f;                 // as a pad reads it
    c.triggerB = (t + seat * 13) % 131 < 4 ? 1.0f : 0.0f;
    if ((t + seat * 97) % 400 == 300)
        c.buttons = static_cast<uint16_t>(1u << (seat % 6)); // a layer turn
    return c;
}

// A match on the default cube (or a level) of `players` pads that play padAt, with seats of
// its own: what the game screen does, without a window.
class HeadlessMatch {
public:
    HeadlessMatch(int players, unsigned int seed, LevelSource level = LevelSource()) {
        quietly([&] {
            match = std::make_unique<Match>(level, MatchSettings(), seed);
            for (int i = 0; i < players; ++i) {
                pads.push_back(
                    std::make_unique<ReplayInput>("Test Pad " + std::to_string(i + 1), "pad"));
                seats.push_back(std::make_unique<Seat>(pads.back().get()));
                match->addSeat(seats.back().get());
            }
            match->seatTanks();
        });
    }
    ~HeadlessMatch() { match.reset(); } // before the seats it lets go of

    // Sets every pad for tick `t` (counted from 0) and plays it.
    Match::Step tick(int t, float dt = TICK) {
        for (size_t i = 0; i < pads.size(); ++i)
            pads[i]->controls = padAt(static_cast<int>(i), t);
        Match::Step step = Match::Step::PLAYING;
        quietly([&] { step = match->tick(dt); });
        return step;
    }

    std::vector<std::unique_ptr<ReplayInput>> pads;
    std::vector<std::unique_ptr<Seat>> seats;
    std::unique_ptr<Match> match;
};

inline std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace replaytest
