// Microseconds per World::update of a busy match without a window: six tanks driving, turning
// and firing single, triple and nuke shells, ten item boxes turning their mini cubes, and the
// shells and explosions that follow. The reported time is the update alone; "median_us" is the
// median tick. Runs from the game's data folder (it reads the tank model and the item icons).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <vector>

#include "entities/entityhooks.h"
#include "entities/tank.h"
#include "math/randomsource.h"
#include "world/world.h"

namespace {

constexpr float TICK = 1.0f / 60;

// Shells only: random turns would freeze the match for most of the run. A press of the fire
// button every `pressEvery` ticks.
void play(Tank* tank, int tick, int pressEvery) {
    if (tick % 90 == 0)
        tank->setDrive(randomSource.randomInt(1, 2));
    tank->turn(randomSource.randomFloat(-1, 1) * TICK);
    tank->setFireButton(tick % pressEvery == 0);
    if (tank->itemCount < Tank::SLOTS)
        tank->addItem(new Item(static_cast<ItemKind>(randomSource.randomInt(0, 2))));
}

void BM_BusyMatchTick(benchmark::State& state) {
    if (!std::filesystem::exists("models/tank_01.obj"))
        std::filesystem::current_path(QUORL_DATA_DIR);
    int pressEvery = static_cast<int>(state.range(0));
    installEntityHooks();
    randomSource.seed(5);
    World world(3, 28);
    std::vector<Tank*> tanks;
    std::streambuf* console = std::cout.rdbuf(nullptr); // not the tanks' position lines
    for (int face = 0; face < 6; ++face) {
        Tank* tank = world.addTank(face);
        for (Item*& item : tank->items) {
            delete item;
            item = new Item(ITEM_PROJECTILE);
        }
        tanks.push_back(tank);
    }
    std::cout.rdbuf(console);
    std::cout.clear();
    while (world.itemCount < 10)
        world.addObject(world.randomItemBox());
    int tick = 0;
    for (; tick < 600; ++tick) { // ten seconds to fill the air
        for (Tank* tank : tanks)
            play(tank, tick, pressEvery);
        world.update(TICK);
    }
    std::vector<double> micros;
    size_t objects = 0;
    for (auto _ : state) {
        for (Tank* tank : tanks)
            play(tank, tick, pressEvery);
        auto start = std::chrono::steady_clock::now();
        world.update(TICK);
        std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(spent.count());
        micros.push_back(spent.count() * 1e6);
        objects += world.allObjects.size();
        ++tick;
    }
    std::nth_element(micros.begin(), micros.begin() + micros.size() / 2, micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["objects"] = static_cast<double>(objects) / static_cast<double>(micros.size());
}

// Four presses a second per tank, and a frantic 7.5.
BENCHMARK(BM_BusyMatchTick)
    ->Arg(15)
    ->Arg(8)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(20000);

} // namespace
