#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <set>

#include "collisiondetector_testing.h"
#include "math/randomsource.h"

namespace {

using collisiontesting::Pair;
using collisiontesting::query;
using collisiontesting::TestBox;
using Pairs = std::vector<Pair>;

constexpr float REGION = 24; // the scene's cube, world units from 0
constexpr float CENTRE = REGION / 2;

int pick(int low, int high) {
    return randomSource.randomInt(low, high);
}

float draw(float a, float b) {
    return randomSource.randomFloat(a, b);
}

// A box's world bounds, x min, x max, y min, ... as the detector reads them.
const float* bounds(const TestBox* box) {
    return box->boundingBox.intervals;
}

// Places a box at world bounds low..high (its position at the origin).
void setBounds(TestBox* box, const Vec3f& low, const Vec3f& high) {
    box->moveTo(Vec3f(0, 0, 0));
    box->resize(low, high);
}

// Blocks on a half-unit grid, many of them stacked exactly on a few spots as the editor's
// "copy to other faces" leaves them, and movers at arbitrary places: seen at once by four
// detectors that must agree, report for report and in order.
//   reference: nothing registered as scenery, the insertion sort only: every pair tracked, as
//              before scenery existed;
//   sorted:    blocks registered as scenery, the default budget of swaps;
//   bulk:      blocks as scenery, the bulk repair from the first swap of every list;
//   allBulk:   nothing as scenery, the bulk repair from the first swap.
class SceneryScene {
public:
    SceneryScene() {
        reference.swapsPerEntry = SIZE_MAX;
        bulk.swapsPerEntry = 0;
        allBulk.swapsPerEntry = 0;
    }

    void addBlock() {
        blocks.push_back(std::make_unique<TestBox>(Vec3f(0, 0, 0), Vec3f(1, 1, 1)));
        TestBox* block = blocks.back().get();
        if (!stacks.empty() && pick(0, 2) > 0) { // onto one of the stacks
            const TestBox* spot = stacks[pick(0, static_cast<int>(stacks.size()) - 1)];
            const float* b = bounds(spot);
            setBounds(block, Vec3f(b[0], b[2], b[4]), Vec3f(b[1], b[3], b[5]));
        } else {
            Vec3f low = gridPoint(), size(half(1, 6), half(1, 6), half(1, 4));
            setBounds(block, low, low + size);
            if (stacks.size() < 6)
                stacks.push_back(block);
        }
        registerBox(block, true);
    }

    void addMover() {
        movers.push_back(std::make_unique<TestBox>(Vec3f(0, 0, 0), Vec3f(1, 1, 1)));
        TestBox* mover = movers.back().get();
        Vec3f low(draw(0, REGION), draw(0, REGION), draw(0, REGION));
        setBounds(mover, low, low + Vec3f(draw(0.5f, 5), draw(0.5f, 5), draw(0.5f, 5)));
        registerBox(mover, false);
    }

    // A shell lands, or the editor deletes a block.
    void removeOne(bool scenery) {
        std::vector<TestBox*> candidates;
        for (TestBox* box : registered)
            if (isScenery(box) == scenery &&
                std::find(stacks.begin(), stacks.end(), box) == stacks.end()) // stack bottoms stay
                candidates.push_back(box);
        if (candidates.empty())
            return;
        TestBox* box = candidates[pick(0, static_cast<int>(candidates.size()) - 1)];
        for (CollisionDetector* detector : detectors())
            detector->removeObject(box);
        registered.erase(std::find(registered.begin(), registered.end(), box));
    }

    // Movers creep, a few sweep a longer step, now and then one jumps anywhere.
    void moveMovers() {
        for (auto& mover : movers) {
            if (!isRegistered(mover.get()))
                continue;
            Vec3f at = mover->boundingBox.position;
            Vec3f to = pick(0, 49) == 0
                           ? Vec3f(draw(-8, 8), draw(-8, 8), draw(-8, 8))
                           : at + Vec3f(draw(-0.4f, 0.4f), draw(-0.4f, 0.4f), draw(-0.4f, 0.4f));
            mover->moveTo(at);
            mover->moveTo(to, pick(0, 9) == 0);
        }
    }

    // A layer turn: everything whose centre lies in a slab across one axis turns a quarter
    // about that axis through the scene's centre, blocks and movers together. The grid stays a
    // grid, so stacked blocks stay stacked and their ties stay ties.
    void turnLayer() {
        const int axis = pick(0, 2);
        const float from = half(0, static_cast<int>(2 * REGION) - 16), to = from + 8;
        const int a = (axis + 1) % 3, b = (axis + 2) % 3;
        for (TestBox* box : registered) {
            const float* w = bounds(box);
            float centre = (w[2 * axis] + w[2 * axis + 1]) / 2;
            if (centre < from || centre >= to)
                continue;
            // (a, b) -> (centre - (b - centre), a): a quarter turn about the axis
            Vec3f low(w[0], w[2], w[4]), high(w[1], w[3], w[5]);
            Vec3f newLow = low, newHigh = high;
            newLow[a] = CENTRE - (high[b] - CENTRE);
            newHigh[a] = CENTRE - (low[b] - CENTRE);
            newLow[b] = low[a];
            newHigh[b] = high[a];
            setBounds(box, newLow, newHigh);
        }
        ++turns;
    }

    void checkQuery() {
        Pairs fromReference = query(reference), fromSorted = query(sorted);
        Pairs fromBulk = query(bulk), fromAllBulk = query(allBulk);
        Pairs withoutScenery;
        for (const Pair& pair : fromReference)
            if (!(isScenery(pair.first) && isScenery(pair.second)))
                withoutScenery.push_back(pair);
        ASSERT_EQ(fromSorted, withoutScenery);
        ASSERT_EQ(fromBulk, fromSorted);
        ASSERT_EQ(fromAllBulk, fromReference);
        moverPairs += fromSorted.size();

        // Against every pair's own boxes, where equal end points (which history decides) do not
        // make the answer.
        std::set<Pair> seen(fromReference.begin(), fromReference.end());
        ASSERT_EQ(seen.size(), fromReference.size()) << "a pair was reported twice";
        for (size_t later = 0; later < registered.size(); ++later)
            for (size_t earlier = 0; earlier < later; ++earlier) {
                const TestBox* p = registered[later];
                const TestBox* q = registered[earlier];
                if (ties(p, q)) {
                    tiedPairs += seen.count(Pair(const_cast<TestBox*>(p), const_cast<TestBox*>(q)));
                    continue;
                }
                ASSERT_EQ(seen.count(Pair(const_cast<TestBox*>(p), const_cast<TestBox*>(q))),
                          overlap(p, q) ? 1u : 0u)
                    << "pair " << later << ", " << earlier;
            }
    }

    void validateAll() {
        for (CollisionDetector* detector : detectors())
            ASSERT_TRUE(detector->validate());
    }

    std::vector<TestBox*> registered; // in registration order
    size_t moverPairs = 0;            // reported pairs with a mover in them, over all queries
    size_t tiedPairs = 0;             // reported pairs with an equal end point
    int turns = 0;

private:
    std::vector<CollisionDetector*> detectors() { return {&reference, &sorted, &bulk, &allBulk}; }

    void registerBox(TestBox* box, bool scenery) {
        reference.addObject(box->boundingBox, box);
        sorted.addObject(box->boundingBox, box, scenery);
        bulk.addObject(box->boundingBox, box, scenery);
        allBulk.addObject(box->boundingBox, box);
        registered.push_back(box);
    }

    bool isRegistered(const TestBox* box) const {
        return std::find(registered.begin(), registered.end(), box) != registered.end();
    }

    bool isScenery(const Object* box) const {
        return std::any_of(blocks.begin(), blocks.end(),
                           [box](const std::unique_ptr<TestBox>& b) { return b.get() == box; });
    }

    // k half units.
    static float half(int low, int high) { return 0.5f * static_cast<float>(pick(low, high)); }
    static Vec3f gridPoint() {
        const int top = static_cast<int>(2 * REGION) - 12;
        return Vec3f(half(0, top), half(0, top), half(0, top));
    }

    static bool ties(const TestBox* p, const TestBox* q) {
        for (int k = 0; k < 6; ++k) {
            float v = bounds(p)[k];
            if (v == bounds(q)[k & ~1] || v == bounds(q)[k | 1])
                return true;
        }
        return false;
    }

    static bool overlap(const TestBox* p, const TestBox* q) {
        for (int axis = 0; axis < 3; ++axis)
            if (!(bounds(p)[2 * axis] < bounds(q)[2 * axis + 1] &&
                  bounds(q)[2 * axis] < bounds(p)[2 * axis + 1]))
                return false;
        return true;
    }

    CollisionDetector reference, sorted, bulk, allBulk;
    std::vector<std::unique_ptr<TestBox>> blocks, movers;
    std::vector<TestBox*> stacks; // the bottom block of each stack
};

// Scenery pairs are left out and nothing else changes: the same pairs in the same order as a
// detector that tracks every pair, whether the insertion sort or the bulk repair put the lists
// back in order; through stacks of identical blocks, layer turns that carry blocks and movers
// past one another, movers coming and going, and blocks deleted and added.
TEST(CollisionDetectorScenery, LeavesOutOnlyPairsOfSceneryInTheSameOrderThroughTurns) {
    randomSource.seed(4242u);
    SceneryScene scene;
    // Registered in a mix, so that a block's list of partners holds movers as well.
    for (int k = 0; k < 184; ++k) {
        if (pick(0, 3) == 0)
            scene.addMover();
        else
            scene.addBlock();
    }
    ASSERT_NO_FATAL_FAILURE(scene.checkQuery());
    for (int step = 0; step < 300; ++step) {
        int action = pick(0, 19);
        if (action == 0)
            scene.addMover();
        else if (action == 1)
            scene.removeOne(false);
        else if (action == 2)
            scene.removeOne(true);
        else if (action == 3)
            scene.addBlock();
        else if (action < 7)
            scene.turnLayer();
        scene.moveMovers();
        ASSERT_NO_FATAL_FAILURE(scene.checkQuery()) << "step " << step;
        if (step % 25 == 0) {
            ASSERT_NO_FATAL_FAILURE(scene.validateAll()) << "step " << step;
        }
    }
    ASSERT_NO_FATAL_FAILURE(scene.validateAll());
    // Without turns, pairs and ties aplenty the agreement above would prove little.
    EXPECT_GT(scene.turns, 30);
    EXPECT_GT(scene.moverPairs, 5000u);
    EXPECT_GT(scene.tiedPairs, 1000u);
}

} // namespace
