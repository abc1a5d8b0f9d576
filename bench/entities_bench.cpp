// Microseconds per World::update of a busy match without a window: six tanks driving, turning
// and firing single, triple and nuke shells, ten item boxes turning their mini cubes, and the
// shells and explosions that follow. The reported time is the update alone; "median_us" is the
// median tick ("median_cpu_us" the median of the thread's own time). Runs from the game's data
// folder (it reads the tank model and the item icons). BM_BusyMatchTickWithBlocks plays it among
// forty blocks and the six test rocks of the game screen's developer key, with the game's collision
// response: the rocks' mesh queries print their trace on standard output, so measure with it sent
// to /dev/null and the report written with --benchmark_out.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <vector>

#include "entities/collisionresponder.h"
#include "entities/entityhooks.h"
#include "entities/tank.h"
#include "math/faces.h"
#include "math/randomsource.h"
#include "world/box.h"
#include "world/obstacle.h"
#include "world/world.h"

namespace {

constexpr float TICK = 1.0f / 60;

// Shells only: random turns would freeze the match for most of the run. A press of the fire
// button every `pressEvery` ticks. Blasts hit the tanks but never finish one off, so the match
// stays as busy.
void play(Tank* tank, int tick, int pressEvery) {
    if (tank->health < 2)
        tank->health = Tank::MAX_HEALTH;
    if (tick % 90 == 0)
        tank->setDrive(randomSource.randomInt(1, 2));
    tank->turn(randomSource.randomFloat(-1, 1) * TICK);
    tank->setFireButton(tick % pressEvery == 0);
    if (tank->itemCount < Tank::SLOTS)
        tank->addItem(new Item(static_cast<ItemKind>(randomSource.randomInt(0, 2))));
}

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double median(std::vector<double>& values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Forty blocks of 2 to 10 units a side, clear of the face centres the tanks start on, and the
// rocks where the game screen's "1" key puts them.
void addScenery(World& world) {
    float h = world.halfExtent();
    for (const Vec3f& place : {Vec3f(10, h, 20), Vec3f(10, -h, 20), Vec3f(-h, 0, 20),
                               Vec3f(h, 0, 20), Vec3f(10, 0, -h), Vec3f(10, 0, h)})
        world.addObject(new Obstacle(place, &world));
    for (int blocks = 0; blocks < 40;) {
        Vec3f at = world.randomFacePosition(4, 4);
        if ((at - faceNormal(faceOf(at)) * h).length() < 12)
            continue;
        auto size = [] { return randomSource.randomFloat(2, 10); };
        world.addObject(new Box(at, &world, size(), size(), size()));
        ++blocks;
    }
}

void busyMatch(benchmark::State& state, bool scenery) {
    if (!std::filesystem::exists("models/tank_01.obj"))
        std::filesystem::current_path(QUORL_DATA_DIR);
    int pressEvery = static_cast<int>(state.range(0));
    installEntityHooks();
    randomSource.seed(5);
    World world(3, 28);
    if (scenery) {
        World::CollisionResponse before = World::defaultHooks().collisionResponse;
        installCollisionResponse();
        world.collisionResponse = World::defaultHooks().collisionResponse;
        World::defaultHooks().collisionResponse = before; // the plain match keeps without one
        addScenery(world);
    }
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
    std::vector<double> micros, cpuMicros;
    size_t objects = 0;
    for (auto _ : state) {
        for (Tank* tank : tanks)
            play(tank, tick, pressEvery);
        auto start = std::chrono::steady_clock::now();
        double cpuStart = threadSeconds();
        world.update(TICK);
        cpuMicros.push_back((threadSeconds() - cpuStart) * 1e6);
        std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(spent.count());
        micros.push_back(spent.count() * 1e6);
        objects += world.allObjects.size();
        ++tick;
    }
    state.counters["median_us"] = median(micros);
    // The thread's own time: what the tick costs when the machine is shared.
    state.counters["median_cpu_us"] = median(cpuMicros);
    state.counters["objects"] = static_cast<double>(objects) / static_cast<double>(micros.size());
}

void BM_BusyMatchTick(benchmark::State& state) {
    busyMatch(state, false);
}

void BM_BusyMatchTickWithBlocks(benchmark::State& state) {
    busyMatch(state, true);
}

// Four presses a second per tank, and a frantic 7.5.
BENCHMARK(BM_BusyMatchTick)
    ->Arg(15)
    ->Arg(8)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(20000);
BENCHMARK(BM_BusyMatchTickWithBlocks)
    ->Arg(15)
    ->Arg(8)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(20000);

} // namespace
