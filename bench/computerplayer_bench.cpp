// The work of a computer player a tick: six computer tanks of each difficulty on a 5x5x5 cube
// with 40 blocks, kept at full health so that all six play for the whole run (a busy match:
// shells in the air, layer turns, paths and turn plans). Each player's update() is timed on
// its own; the iteration time is the six updates of a tick. "mean_us" is the mean of one
// player's update, "worst_us" the longest single update. Runs from the game's data folder
// (the tanks read their model).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include "ai/computerplayer.h"
#include "entities/collisionresponder.h"
#include "entities/entityhooks.h"
#include "entities/tank.h"
#include "match/match.h"
#include "math/randomsource.h"
#include "support/biglevels.h"
#include "world/world.h"

namespace {

constexpr float TICK = 1.0f / 60;

// A computer player whose every update is timed.
class TimedComputer : public InputSource {
public:
    TimedComputer(const Match& match, int seat, Difficulty difficulty)
        : brain(match, seat, difficulty) {}
    void update() override {
        auto start = std::chrono::steady_clock::now();
        brain.update();
        std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        seconds.push_back(spent.count());
    }
    StickPosition leftStick() const override { return brain.leftStick(); }
    StickPosition rightStick() const override { return brain.rightStick(); }
    float triggerA() const override { return brain.triggerA(); }
    float triggerB() const override { return brain.triggerB(); }
    bool button(int index) const override { return brain.button(index); }
    bool connected() const override { return true; }
    std::string name() const override { return brain.name(); }
    const char* kind() const override { return brain.kind(); }

    ComputerPlayer brain;
    std::vector<double> seconds; // of every update
};

void BM_ComputerPlayers(benchmark::State& state) {
    if (!std::filesystem::exists("models/tank_01.obj"))
        std::filesystem::current_path(QUORL_DATA_DIR);
    installEntityHooks();
    installCollisionResponse();
    randomSource.seed(3);
    const auto difficulty = static_cast<Difficulty>(state.range(0));
    std::streambuf* console = std::cout.rdbuf(nullptr); // not the tanks' position lines
    Match match(LevelSource{"spread 40", biglevels::spreadLevel(40)}, MatchSettings{1});
    if (!match.world) {
        std::cout.rdbuf(console);
        state.SkipWithError("the level does not load");
        return;
    }
    std::vector<std::unique_ptr<TimedComputer>> computers;
    std::vector<std::unique_ptr<Seat>> seats;
    for (int i = 0; i < 6; ++i) {
        computers.push_back(std::make_unique<TimedComputer>(match, i, difficulty));
        seats.push_back(std::make_unique<Seat>(computers.back().get()));
        match.addSeat(seats.back().get());
    }
    match.seatTanks();
    for (auto _ : state) {
        for (auto& seat : seats)
            if (seat->tank)
                seat->tank->health = Tank::MAX_HEALTH;
        size_t before = computers[0]->seconds.size();
        match.tick(TICK);
        double spent = 0;
        for (auto& computer : computers)
            if (computer->seconds.size() > before)
                spent += computer->seconds.back();
        state.SetIterationTime(spent);
    }
    std::cout.rdbuf(console);
    std::cout.clear();
    double sum = 0, worst = 0;
    size_t count = 0;
    for (auto& computer : computers) {
        for (double s : computer->seconds)
            sum += s, worst = std::max(worst, s);
        count += computer->seconds.size();
    }
    state.SetLabel(std::string(computerSkill(difficulty).name) + ", " +
                   std::to_string(match.world->boxes.size()) + " blocks");
    state.counters["mean_us"] = count ? sum / static_cast<double>(count) * 1e6 : 0;
    state.counters["worst_us"] = worst * 1e6;
}

// 3600 ticks: a minute of play of six computer tanks.
BENCHMARK(BM_ComputerPlayers)
    ->DenseRange(0, 2)
    ->ArgName("difficulty")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(3600);

} // namespace
