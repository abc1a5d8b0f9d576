#pragma once

// Headless matches for the computer players' tests: a match on a shipped level or an empty
// cube, its seats driven by computers, by random sticks or by nobody, ticked at 60 a second
// with what each tick left recorded.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ai/computerseat.h"
#include "ai/facegrid.h"
#include "entities/tank.h"
#include "match/match.h"
#include "math/randomsource.h"
#include "world/levelfile.h"
#include "world/world.h"

namespace aimatch {

constexpr float TICK = 1.0f / 60; // seconds

// The shipped levels (the tests run in data/).
inline std::vector<std::string> shippedLevels() {
    std::vector<std::string> names;
    listFiles("levels", names);
    return names;
}

inline LevelSource shipped(const std::string& name) {
    std::ifstream in("levels/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return {name, text.str()};
}

// A cube of n cubies a side (28 units each) without blocks.
inline LevelSource emptyCube(int n) {
    return {"empty " + std::to_string(n), std::to_string(n) + " 28\n\n"};
}

// A player with a pad who has no idea: sticks and triggers at random, held for a random part
// of a second. Its own generator, seeded by the test, so it leaves the shared random source to
// the match.
class RandomSticks : public InputSource {
public:
    explicit RandomSticks(unsigned seed) : generator(seed) {}
    void update() override {
        if (--hold > 0)
            return;
        std::uniform_real_distribution<float> any(-1, 1), unit(0, 1);
        hold = 10 + static_cast<int>(unit(generator) * 40);
        left = {any(generator), any(generator)};
        a = unit(generator) < 0.3f ? TRIGGER_PULLED : TRIGGER_RELEASED;
        b = unit(generator) < 0.2f ? TRIGGER_PULLED : TRIGGER_RELEASED;
    }
    StickPosition leftStick() const override { return left; }
    StickPosition rightStick() const override { return {}; }
    float triggerA() const override { return a; }
    float triggerB() const override { return b; }
    bool button(int) const override { return false; }
    bool connected() const override { return true; }
    std::string name() const override { return "Random Sticks"; }
    const char* kind() const override { return "pad"; }

private:
    std::mt19937 generator;
    int hold = 0;
    StickPosition left;
    float a = TRIGGER_RELEASED, b = TRIGGER_RELEASED;
};

// One seat's state after a tick.
struct SeatState {
    bool alive;
    int face;
    Vec3f position;
    int health;
    bool aiming; // a computer lining up a shot
};

// A match of seats: computers of the given difficulties, random sticks, or idle tanks, in the
// order they are added (so on faces 0, 1, 2, ... as the match seats them).
class Arena {
public:
    Arena(const LevelSource& level, unsigned seed, int roundsToWin = 1) {
        randomSource.seed(seed);
        sticksSeed = seed * 7919u + 1;
        testing::internal::CaptureStdout(); // the tanks' and switches' chatter
        match = std::make_unique<Match>(level, MatchSettings{roundsToWin, 0, Difficulty::NORMAL});
    }
    ~Arena() {
        match.reset();
        testing::internal::GetCapturedStdout();
    }
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    ComputerPlayer& computer(Difficulty difficulty) {
        addComputerSeats(*match, 1, difficulty, computers);
        return computers.back()->brain;
    }
    void randomSticks() {
        sources.push_back(std::make_unique<RandomSticks>(sticksSeed++));
        seats.push_back(std::make_unique<Seat>(sources.back().get()));
        match->addSeat(seats.back().get());
    }
    void idle() {
        seats.push_back(std::make_unique<Seat>(nullptr));
        match->addSeat(seats.back().get());
    }
    void start() { match->seatTanks(); }

    // One tick; false once the match is over.
    bool tick() {
        Match::Step step = match->tick(TICK);
        ++ticks;
        return step != Match::Step::OVER;
    }
    // Ticks until `done` holds after a tick or `seconds` have passed; true when it held.
    bool runUntil(float seconds, const std::function<bool()>& done) {
        int limit = static_cast<int>(seconds * 60);
        for (int t = 0; t < limit; ++t) {
            if (!tick())
                return done();
            if (done())
                return true;
        }
        return false;
    }
    SeatState state(size_t seat) const {
        const Seat& s = *match->seats[seat];
        SeatState state{s.alive, -1, Vec3f(), 0, false};
        if (s.tank) {
            state.face = s.tank->face;
            state.position = s.tank->position;
            state.health = s.tank->getHealth();
        }
        for (const auto& computer : computers)
            if (computer.get() == &s)
                state.aiming = computer->brain.aiming();
        return state;
    }
    // The seat that won the round, or -1.
    int winner() const {
        for (size_t i = 0; i < match->seats.size(); ++i)
            if (match->seats[i]->won)
                return static_cast<int>(i);
        return -1;
    }

    std::unique_ptr<Match> match;
    std::vector<std::unique_ptr<ComputerSeat>> computers;
    std::vector<std::unique_ptr<InputSource>> sources;
    std::vector<std::unique_ptr<Seat>> seats;
    int ticks = 0;

private:
    unsigned sticksSeed;
};

} // namespace aimatch

namespace aimatch {

// Turns layer `layer` of the match's world in `direction` and plays the turn out, the match's
// seats standing by: for setting a scene up with the cube's own turns.
inline void turnLayer(Match& match, int layer, int direction) {
    match.world->startRotation(layer, direction);
    while (match.world->isRotating)
        match.world->update(TICK);
}

// Moves a tank along its face by (du, dv) of the face's own right and forward, as its own
// driving would move it, before the match begins.
inline void slide(Tank& tank, float du, float dv) {
    FaceFrame frame(tank.face, tank.world->halfExtent());
    Vec3f step = frame.right * du + frame.forward * dv;
    tank.position += step;
    tank.matrix.preMultiply(Matrix4f::translation(step));
    tank.boundingBox.moveTo(tank.position + tank.up * tank.halfHeight, false);
}

} // namespace aimatch
