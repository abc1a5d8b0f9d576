// World::update of a two-tank match, without a window, on a shipped level ("Open Arena", 48
// blocks) and on levels of the most blocks a level holds: the level editor's way there, one
// block copied to the other faces again and again (six stacks of about 680 identical blocks),
// and 4096 distinct blocks spread over a 5x5x5 cube. The tanks drive, steer and fire; a random
// layer turn starts every two seconds, and each one ends with hundreds of blocks carried past
// others. The time is the update alone; "median_ms" is the median tick, "worst_ms" the longest
// (a turn's end, or the machine), "load_ms" reading the level. Runs from the game's data folder
// (the tanks read their model).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "entities/collisionresponder.h"
#include "entities/entityhooks.h"
#include "entities/item.h"
#include "entities/tank.h"
#include "math/randomsource.h"
#include "support/biglevels.h"
#include "world/levelfile.h"
#include "world/world.h"

namespace {

constexpr float TICK = 1.0f / 60;

const char* const LEVEL_NAMES[] = {"Open Arena", "stacked", "spread"};

// The level's text: 0 the shipped level, 1 the editor's stacks, 2 the spread blocks.
std::string levelText(int level) {
    if (level == 1)
        return biglevels::stackedLevel();
    if (level == 2)
        return biglevels::spreadLevel();
    std::ifstream in(std::string("levels/") + LEVEL_NAMES[0], std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// What two pads do in the game's scripted matches: drive, steer now and then, fire, and back
// up for a while.
void drive(Tank* tank, int tick, int k) {
    tank->health = Tank::MAX_HEALTH;
    tank->setDrive(tick % 300 < 240 ? 1 : 2);
    tank->turn((k ? 0.6f : -0.8f) * TICK * static_cast<float>(tick % 120 < 30));
    tank->setFireButton(tick % 30 == 15 * k);
    if (tank->itemCount < Tank::SLOTS)
        tank->addItem(new Item(ITEM_PROJECTILE));
}

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

void BM_BigLevelTick(benchmark::State& state) {
    if (!std::filesystem::exists("models/tank_01.obj"))
        std::filesystem::current_path(QUORL_DATA_DIR);
    installEntityHooks();
    installCollisionResponse();
    randomSource.seed(3);
    const int level = static_cast<int>(state.range(0));
    std::string text = levelText(level);
    std::streambuf* console = std::cout.rdbuf(nullptr); // not the tanks' position lines
    auto loadStart = std::chrono::steady_clock::now();
    std::istringstream in(text);
    World* world = readLevel(in, LEVEL_NAMES[level]);
    std::chrono::duration<double> load = std::chrono::steady_clock::now() - loadStart;
    if (!world) {
        std::cout.rdbuf(console);
        state.SkipWithError("the level does not load");
        return;
    }
    Tank* tanks[2] = {world->addTank(0), world->addTank(1)};
    std::vector<double> millis;
    int tick = 0;
    for (auto _ : state) {
        for (int k = 0; k < 2; ++k)
            drive(tanks[k], tick, k);
        if (tick % 120 == 60)
            world->queueRandomTurns(1);
        auto start = std::chrono::steady_clock::now();
        world->update(TICK);
        std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(spent.count());
        millis.push_back(spent.count() * 1e3);
        ++tick;
    }
    std::cout.rdbuf(console);
    std::cout.clear();
    state.SetLabel(std::string(LEVEL_NAMES[level]) + ", " + std::to_string(world->boxes.size()) +
                   " blocks");
    state.counters["median_ms"] = median(millis);
    state.counters["worst_ms"] = *std::max_element(millis.begin(), millis.end());
    state.counters["load_ms"] = load.count() * 1e3;
    delete world;
}

// 1200 ticks: twenty seconds of play, ten layer turns.
BENCHMARK(BM_BigLevelTick)
    ->DenseRange(0, 2)
    ->ArgName("level")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1200);

} // namespace
