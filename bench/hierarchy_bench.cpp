// The mesh query of the shipped obstacle: a tank-sized and a shell-sized sphere taking one
// step towards the rock from many directions, some steps ending in contact, some short of it.
// The query prints its search to standard output as part of its behaviour; measure with
// standard output sent to /dev/null and the results written with --benchmark_out.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "math/constants.h"
#include "world/obstacle.h"

namespace {

constexpr float TANK_RADIUS = 1.5f; // about the tank's collision radius
constexpr float TANK_SPEED = 20;    // world units per second
constexpr float SHELL_RADIUS = 0.4f;
constexpr float SHELL_SPEED = 50;
constexpr float STEP = 1 / 60.0f; // seconds
constexpr int DIRECTIONS = 500;

// The rock on face 4 of a 3 x 28 cube, read as an obstacle reads it.
Obstacle& rock() {
    static std::unique_ptr<Obstacle> obstacle = [] {
        std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(QUORL_DATA_DIR);
        fflush(stdout);
        auto made = std::make_unique<Obstacle>(Vec3f(0, 0, 42), nullptr);
        std::filesystem::current_path(previous);
        return made;
    }();
    return *obstacle;
}

// Steps ending 3 to 9 units from the rock's middle, coming in over the upper hemisphere
// (spread evenly on a spiral) with the lift of a tank's half height.
std::vector<SweptSphere> approaches(float radius, float speed, float lift) {
    std::vector<SweptSphere> steps;
    Vec3f middle(0, 0, 45);
    for (int i = 0; i < DIRECTIONS; ++i) {
        float z = 1 - (i + 0.5f) / DIRECTIONS; // from the top down to the face
        float around = static_cast<float>(i * PI * (3 - std::sqrt(5.0)));
        float r = std::sqrt(1 - z * z);
        Vec3f outward(r * std::cos(around), r * std::sin(around), z);
        float distance = 3 + 6 * static_cast<float>((i * 7) % DIRECTIONS) / DIRECTIONS;
        steps.push_back({middle + outward * distance, outward * -speed, Vec3f(0, 0, lift), radius});
    }
    return steps;
}

void runQueries(benchmark::State& state, const std::vector<SweptSphere>& steps) {
    Obstacle& obstacle = rock();
    size_t next = 0;
    int hits = 0;
    for (auto _ : state) {
        float time = 0;
        Vec3f normal;
        hits += obstacle.mesh->findCollision(steps[next], STEP, time, normal);
        benchmark::DoNotOptimize(time);
        next = (next + 1) % steps.size();
    }
    state.counters["contact share"] = benchmark::Counter(hits, benchmark::Counter::kAvgIterations);
}

void BM_MeshQueryTank(benchmark::State& state) {
    static const std::vector<SweptSphere> steps = approaches(TANK_RADIUS, TANK_SPEED, 0.5f);
    runQueries(state, steps);
}
BENCHMARK(BM_MeshQueryTank);

void BM_MeshQueryShell(benchmark::State& state) {
    static const std::vector<SweptSphere> steps = approaches(SHELL_RADIUS, SHELL_SPEED, 0);
    runQueries(state, steps);
}
BENCHMARK(BM_MeshQueryShell);

} // namespace
