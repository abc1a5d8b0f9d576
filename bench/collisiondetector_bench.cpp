// The sweep-and-prune detector against a brute-force pair test and Bullet's btAxisSweep3, on
// identical scenes and identical motion. One tick = every box takes a small random step (a
// twentieth of its size), then one query for all overlapping pairs.

#include <benchmark/benchmark.h>
#include <btBulletCollisionCommon.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "collision/collisiondetector.h"
#include "math/randomsource.h"
#include "world/object.h"

namespace {

enum SceneKind { SPARSE, DENSE, GAME };
const char* const SCENE_NAMES[] = {"sparse", "dense", "game"};
const unsigned int SCENE_SEED = 2024;

// A world object reduced to its box, wandering inside a range of positions.
class BenchBox : public Object {
public:
    // `low`/`high` are corners relative to the position, along the world axes.
    BenchBox(const Vec3f& at, const Vec3f& low, const Vec3f& high, const Vec3f& step,
             const Vec3f& rangeLow, const Vec3f& rangeHigh)
        : Object(at, nullptr), step(step), rangeLow(rangeLow), rangeHigh(rangeHigh) {
        // up = +Z and forward = +Y map the local extents straight onto x, y and z.
        boundingBox.setExtents(low.x(), high.x(), low.y(), high.y(), low.z(), high.z(),
                               Vec3f(0, 0, 1), Vec3f(0, 1, 0));
        boundingBox.moveTo(at, false);
        turn();
    }

    void draw(bool) override {}

    int id = 0; // position in the scene

    // Keeps a heading for a while, as tanks and shells do, and bounces off the ends of its
    // range, so the scene keeps its density however many ticks a benchmark runs. (A fresh
    // step from the pre-drawn table every tick drifts: the table's mean is not quite zero.)
    void wander() {
        if (randomSource.tableNext() < 1.0f / 32)
            turn();
        Vec3f at = boundingBox.position;
        for (int axis = 0; axis < 3; ++axis) {
            float v = at[axis] + heading[axis];
            if (v < rangeLow[axis] || v > rangeHigh[axis]) {
                heading[axis] = -heading[axis];
                v = at[axis] + heading[axis];
            }
            at[axis] = v;
        }
        boundingBox.moveTo(at, false);
    }

    // A new random heading, at most `step` along each axis.
    void turn() {
        for (int axis = 0; axis < 3; ++axis)
            heading[axis] = randomSource.randomFloat(-1.0f, 1.0f) * step[axis];
    }

private:
    Vec3f step; // largest step per tick along each axis; 0 across the face for standing boxes
    Vec3f rangeLow, rangeHigh;
    Vec3f heading; // the step taken every tick until the next turn
};

float draw(float a, float b) {
    return randomSource.randomFloat(a, b);
}

Vec3f drawSize() {
    return Vec3f(draw(0.5f, 1.5f), draw(0.5f, 1.5f), draw(0.5f, 1.5f));
}

struct Scene {
    std::vector<std::unique_ptr<BenchBox>> boxes;
    Vec3f low, high; // encloses every box at all times

    void tick() {
        for (auto& box : boxes)
            box->wander();
    }
};

// Boxes of mean size 1 strewn in a cube of side L meet a given box with probability about
// (2 / L)^3, which fixes L for a wanted number of partners per box.
Scene buildVolume(int count, float partnersPerBox) {
    Scene scene;
    const float side = 2.0f * std::cbrt(static_cast<float>(count - 1) / partnersPerBox);
    const Vec3f rangeLow(0, 0, 0), rangeHigh(side, side, side);
    for (int k = 0; k < count; ++k) {
        Vec3f size = drawSize();
        Vec3f half(size.x() * 0.5f, size.y() * 0.5f, size.z() * 0.5f);
        Vec3f at(draw(0, side), draw(0, side), draw(0, side));
        Vec3f step(size.x() / 20, size.y() / 20, size.z() / 20);
        scene.boxes.push_back(
            std::make_unique<BenchBox>(at, -half, half, step, rangeLow, rangeHigh));
        scene.boxes.back()->id = k;
    }
    scene.low = Vec3f(-1, -1, -1);
    scene.high = Vec3f(side + 1, side + 1, side + 1);
    return scene;
}

// A block or tank standing on `face` of a cube of half-size r, or a shell flying a little
// above it, anywhere within `inner` of the face's centre along the face.
std::unique_ptr<BenchBox> makeFaceBox(int face, float r, float inner, bool shell) {
    const int normal = face >> 1;
    const float sign = (face & 1) ? -1.0f : 1.0f;
    const Vec3f size = shell ? Vec3f(0.3f, 0.3f, 0.3f) : drawSize();
    Vec3f at, low, high, step, rangeLow, rangeHigh;
    for (int axis = 0; axis < 3; ++axis) {
        const float half = size[axis] * 0.5f;
        low[axis] = -half;
        high[axis] = half;
        step[axis] = size[axis] / 20;
        at[axis] = draw(-inner, inner);
        rangeLow[axis] = -inner;
        rangeHigh[axis] = inner;
    }
    if (shell) {
        at[normal] = sign * (r + draw(0.5f, 3.0f));
        rangeLow[normal] = std::fmin(sign * (r + 0.5f), sign * (r + 3.0f));
        rangeHigh[normal] = std::fmax(sign * (r + 0.5f), sign * (r + 3.0f));
    } else { // rises from the surface and stays on it
        low[normal] = sign > 0 ? 0.0f : -size[normal];
        high[normal] = sign > 0 ? size[normal] : 0.0f;
        step[normal] = 0;
        at[normal] = rangeLow[normal] = rangeHigh[normal] = sign * r;
    }
    return std::make_unique<BenchBox>(at, low, high, step, rangeLow, rangeHigh);
}

// Boxes on the six faces of a cube. Every box standing on one face shares the face's span
// along its normal, which crowds the list of that axis the way a real level does.
Scene buildCubeFaces(int count) {
    Scene scene;
    const float partnersPerBox = 1.5f;
    const float faceSide = std::sqrt(count / 6.0f * 4.0f / partnersPerBox);
    const float r = faceSide * 0.5f;
    const float inner = r - 1.0f; // keeps boxes clear of the cube's edges
    for (int k = 0; k < count; ++k) {
        scene.boxes.push_back(makeFaceBox(k % 6, r, inner, draw(0, 1) < 0.15f));
        scene.boxes.back()->id = k;
    }
    const float outer = r + 5.0f;
    scene.low = Vec3f(-outer, -outer, -outer);
    scene.high = Vec3f(outer, outer, outer);
    return scene;
}

// Seeds the shared random source, so every contender sees the same boxes and the same steps.
Scene buildScene(SceneKind kind, int count) {
    randomSource.seed(SCENE_SEED);
    if (kind == GAME)
        return buildCubeFaces(count);
    return buildVolume(count, kind == SPARSE ? 1.0f : 4.0f);
}

using IndexPair = std::pair<int, int>; // (later box, earlier box) by position in the scene

int idOf(const void* box) {
    return static_cast<const BenchBox*>(box)->id;
}

// The detector as the world uses it: every box registered once, one query per tick.
class DetectorContender {
public:
    explicit DetectorContender(Scene& scene) {
        for (auto& box : scene.boxes)
            detector.addObject(box->boundingBox, box.get());
        query();
    }

    size_t query() {
        detector.getCollisions(records);
        for (Collision* record : records)
            delete record;
        return records.size();
    }

    std::vector<IndexPair> pairs() {
        std::vector<IndexPair> result;
        detector.getCollisions(records);
        for (Collision* record : records) {
            result.emplace_back(idOf(record->object1), idOf(record->object2));
            delete record;
        }
        std::sort(result.begin(), result.end());
        return result;
    }

private:
    CollisionDetector detector;
    std::vector<Collision*> records;
};

// Every pair tested, from a compact copy of the bounds; closed intervals.
class BruteForceContender {
public:
    explicit BruteForceContender(Scene& scene) : scene(scene) {}

    size_t query() {
        const size_t count = scene.boxes.size();
        bounds.resize(6 * count);
        for (size_t k = 0; k < count; ++k)
            std::copy_n(scene.boxes[k]->boundingBox.intervals, 6, &bounds[6 * k]);
        found.clear();
        for (size_t i = 0; i < count; ++i) {
            const float* a = &bounds[6 * i];
            for (size_t j = 0; j < i; ++j) {
                const float* b = &bounds[6 * j];
                if (a[0] <= b[1] && b[0] <= a[1] && a[2] <= b[3] && b[2] <= a[3] && a[4] <= b[5] &&
                    b[4] <= a[5])
                    found.emplace_back(static_cast<int>(i), static_cast<int>(j));
            }
        }
        return found.size();
    }

    std::vector<IndexPair> pairs() {
        query();
        std::vector<IndexPair> result = found;
        std::sort(result.begin(), result.end());
        return result;
    }

private:
    Scene& scene;
    std::vector<float> bounds;
    std::vector<IndexPair> found;
};

// Bullet's incremental sweep-and-prune: every box's bounds handed over, then the pair update.
class BulletContender {
public:
    explicit BulletContender(Scene& scene)
        : scene(scene), dispatcher(&configuration),
          broadphase(vector(scene.low), vector(scene.high), 16384, nullptr, true) {
        for (auto& box : scene.boxes) {
            const float* b = box->boundingBox.intervals;
            proxies.push_back(broadphase.createProxy(
                btVector3(b[0], b[2], b[4]), btVector3(b[1], b[3], b[5]), BOX_SHAPE_PROXYTYPE,
                box.get(), btBroadphaseProxy::DefaultFilter, btBroadphaseProxy::AllFilter,
                &dispatcher));
        }
        broadphase.calculateOverlappingPairs(&dispatcher);
    }

    ~BulletContender() {
        for (btBroadphaseProxy* proxy : proxies)
            broadphase.destroyProxy(proxy, &dispatcher);
    }

    size_t query() {
        for (size_t k = 0; k < proxies.size(); ++k) {
            const float* b = scene.boxes[k]->boundingBox.intervals;
            broadphase.setAabb(proxies[k], btVector3(b[0], b[2], b[4]), btVector3(b[1], b[3], b[5]),
                               &dispatcher);
        }
        broadphase.calculateOverlappingPairs(&dispatcher);
        return static_cast<size_t>(broadphase.getOverlappingPairCache()->getNumOverlappingPairs());
    }

    std::vector<IndexPair> pairs() {
        query();
        std::vector<IndexPair> result;
        btBroadphasePairArray& array =
            broadphase.getOverlappingPairCache()->getOverlappingPairArray();
        for (int k = 0; k < array.size(); ++k) {
            int a = idOf(array[k].m_pProxy0->m_clientObject);
            int b = idOf(array[k].m_pProxy1->m_clientObject);
            result.emplace_back(std::max(a, b), std::min(a, b));
        }
        std::sort(result.begin(), result.end());
        return result;
    }

private:
    static btVector3 vector(const Vec3f& v) { return btVector3(v.x(), v.y(), v.z()); }

    Scene& scene;
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher;
    btAxisSweep3 broadphase;
    std::vector<btBroadphaseProxy*> proxies;
};

template <class Contender> void runTicks(benchmark::State& state, SceneKind kind, int count) {
    Scene scene = buildScene(kind, count);
    Contender contender(scene);
    double overlaps = 0;
    for (auto _ : state) {
        scene.tick();
        overlaps += static_cast<double>(contender.query());
    }
    state.counters["overlaps"] = benchmark::Counter(overlaps, benchmark::Counter::kAvgIterations);
}

// Not a timing: runs all three in lockstep on one scene and checks that they do the same job.
// The detector must find exactly the brute-force pairs; Bullet rounds its bounds outwards, so
// it may find a few more but never fewer.
void checkAgreement(benchmark::State& state, SceneKind kind, int count) {
    Scene scene = buildScene(kind, count);
    DetectorContender detector(scene);
    BruteForceContender bruteForce(scene);
    BulletContender bullet(scene);
    const int ticks = 20;
    double bulletExtra = 0;
    for (auto _ : state) {
        for (int t = 0; t < ticks; ++t) {
            scene.tick();
            std::vector<IndexPair> expected = bruteForce.pairs();
            std::vector<IndexPair> fromBullet = bullet.pairs();
            if (detector.pairs() != expected)
                return state.SkipWithError("detector pairs differ from brute force");
            if (!std::includes(fromBullet.begin(), fromBullet.end(), expected.begin(),
                               expected.end()))
                return state.SkipWithError("Bullet missed a brute-force pair");
            bulletExtra += static_cast<double>(fromBullet.size() - expected.size());
        }
    }
    state.counters["bulletExtraPairs"] = bulletExtra / ticks;
}

const bool registered = [] {
    const int sizes[] = {100, 1000, 5000};
    for (SceneKind kind : {SPARSE, DENSE, GAME}) {
        for (int count : sizes) {
            std::string name = std::string(SCENE_NAMES[kind]) + "/" + std::to_string(count) + "/";
            benchmark::RegisterBenchmark((name + "agreement").c_str(), checkAgreement, kind, count)
                ->Iterations(1);
            benchmark::RegisterBenchmark((name + "detector").c_str(), runTicks<DetectorContender>,
                                         kind, count);
            benchmark::RegisterBenchmark((name + "bruteforce").c_str(),
                                         runTicks<BruteForceContender>, kind, count);
            benchmark::RegisterBenchmark((name + "bullet").c_str(), runTicks<BulletContender>, kind,
                                         count);
        }
    }
    return true;
}();

} // namespace
