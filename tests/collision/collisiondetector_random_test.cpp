#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "collisiondetector_testing.h"
#include "math/randomsource.h"

namespace {

using collisiontesting::Pair;
using collisiontesting::query;
using collisiontesting::TestBox;

float draw(float a, float b) {
    return randomSource.randomFloat(a, b);
}

// Boxes registered, moved and removed at random. Equal end points on an axis are avoided:
// which way a tie falls depends on history, which a brute-force test cannot know.
class RandomScene {
public:
    RandomScene(int poolSize, float region, float maxSize) : region(region), maxSize(maxSize) {
        for (int k = 0; k < poolSize; ++k) {
            pool.push_back(std::make_unique<TestBox>(
                Vec3f(0, 0, 0),
                Vec3f(draw(0.5f, maxSize), draw(0.5f, maxSize), draw(0.5f, maxSize))));
            unregistered.push_back(pool.back().get());
        }
    }

    // Moves boxes from one list to the other, so registered keeps the detector's order.
    void transfer(std::vector<TestBox*>& from, std::vector<TestBox*>& to, int count) {
        for (int k = 0; k < count && !from.empty(); ++k) {
            auto pick = from.begin() + randomSource.randomInt(0, int(from.size()) - 1);
            TestBox* box = *pick;
            from.erase(pick);
            if (&to == &registered) {
                place(box, randomPoint(), false);
                detector.addObject(box->boundingBox, box);
            } else {
                detector.removeObject(box);
            }
            to.push_back(box);
            ASSERT_TRUE(detector.validate());
        }
    }

    // Most boxes creep, a few sweep, a few jump anywhere as a layer turn carries them.
    void moveAll(float jumpChance) {
        const float step = maxSize * 0.1f;
        for (TestBox* box : registered) {
            Vec3f at = box->boundingBox.position;
            Vec3f to = draw(0, 1) < jumpChance
                           ? randomPoint()
                           : at + Vec3f(draw(-step, step), draw(-step, step), draw(-step, step));
            place(box, to, randomSource.randomInt(0, 9) == 0);
        }
    }

    void checkQuery() {
        std::vector<Pair> reported = query(detector);
        ASSERT_TRUE(detector.validate());
        std::set<Pair> expected;
        for (size_t later = 0; later < registered.size(); ++later) {
            for (size_t earlier = 0; earlier < later; ++earlier) {
                if (overlap(registered[later], registered[earlier]))
                    expected.emplace(registered[later], registered[earlier]);
            }
        }
        pairsChecked += expected.size();
        std::set<Pair> seen(reported.begin(), reported.end());
        ASSERT_EQ(seen.size(), reported.size()) << "a pair was reported twice";
        ASSERT_EQ(seen, expected);
        for (size_t k = 1; k < reported.size(); ++k) // grouped by the later object, in order
            ASSERT_LE(rank(reported[k - 1].first), rank(reported[k].first));
    }

    // Registering the same boxes afresh must give the same pairs as the long-lived detector.
    void checkAgainstFreshDetector() {
        CollisionDetector fresh;
        for (TestBox* box : registered)
            fresh.addObject(box->boundingBox, box);
        ASSERT_TRUE(fresh.validate());
        std::vector<Pair> fromFresh = query(fresh);
        std::vector<Pair> fromOld = query(detector);
        EXPECT_EQ(fromFresh.size(), fromOld.size());
        EXPECT_EQ(std::set<Pair>(fromFresh.begin(), fromFresh.end()),
                  std::set<Pair>(fromOld.begin(), fromOld.end()));
    }

    std::vector<TestBox*> unregistered;
    std::vector<TestBox*> registered; // in registration order, as the detector's indices
    size_t pairsChecked = 0;

private:
    Vec3f randomPoint() const { return Vec3f(draw(0, region), draw(0, region), draw(0, region)); }

    void place(TestBox* box, Vec3f to, bool sweep) {
        const Vec3f from = box->boundingBox.position;
        do {
            box->moveTo(from);
            box->moveTo(to, sweep);
            to = randomPoint();
        } while (tiesAnother(box));
    }

    bool tiesAnother(const TestBox* box) const {
        const float* mine = box->boundingBox.intervals;
        for (const TestBox* other : registered) {
            const float* theirs = other->boundingBox.intervals;
            for (int k = 0; other != box && k < 6; ++k) {
                if (mine[k] == theirs[k & ~1] || mine[k] == theirs[k | 1])
                    return true;
            }
        }
        return false;
    }

    static bool overlap(const TestBox* a, const TestBox* b) {
        const float* p = a->boundingBox.intervals;
        const float* q = b->boundingBox.intervals;
        return p[0] < q[1] && q[0] < p[1] && p[2] < q[3] && q[2] < p[3] && p[4] < q[5] &&
               q[4] < p[5];
    }

    size_t rank(const Object* box) const {
        return static_cast<size_t>(std::find(registered.begin(), registered.end(), box) -
                                   registered.begin());
    }

    float region, maxSize;
    std::vector<std::unique_ptr<TestBox>> pool;
    CollisionDetector detector;
};

void runRandomScene(unsigned int seed, int poolSize, float region, float maxBoxSize) {
    const int steps = 400;
    randomSource.seed(seed);
    RandomScene scene(poolSize, region, maxBoxSize);
    scene.transfer(scene.unregistered, scene.registered, poolSize / 2);
    for (int step = 0; step < steps; ++step) {
        int action = randomSource.randomInt(0, 9);
        if (action < 2)
            scene.transfer(scene.unregistered, scene.registered, randomSource.randomInt(1, 8));
        else if (action < 4)
            scene.transfer(scene.registered, scene.unregistered, randomSource.randomInt(1, 8));
        else
            scene.moveAll(action == 9 ? 0.05f : 0.002f);
        ASSERT_NO_FATAL_FAILURE(scene.checkQuery()) << "step " << step;
        if (step % 50 == 0) {
            ASSERT_NO_FATAL_FAILURE(scene.checkAgainstFreshDetector()) << "step " << step;
        }
    }
    // Without plenty of overlaps the comparisons above would prove little.
    EXPECT_GT(scene.pairsChecked, static_cast<size_t>(steps) * 10);
    scene.transfer(scene.registered, scene.unregistered, poolSize);
    ASSERT_NO_FATAL_FAILURE(scene.checkQuery());
}

TEST(CollisionDetectorRandom, MatchesBruteForceInSparseAndCrowdedScenes) {
    runRandomScene(20240611u, 300, 40.0f, 4.0f);
    runRandomScene(77u, 160, 12.0f, 4.0f);
}

} // namespace
