#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "entities/collisionresponder.h"
#include "entities/entityhooks.h"
#include "entities/item.h"
#include "entities/tank.h"
#include "entitytesting.h"
#include "math/faces.h"
#include "math/randomsource.h"
#include "responsetesting.h"
#include "support/biglevels.h"

namespace {

using Pair = std::pair<const Object*, const Object*>; // either way round: see ordered

Pair ordered(const Object* a, const Object* b) {
    return std::less<const Object*>()(a, b) ? Pair(a, b) : Pair(b, a);
}

// Whether two objects' boxes overlap; `tied` when an end point of one equals one of the other's
// on the same axis, where the boxes' history decides and a brute-force test cannot.
bool overlap(const Object* a, const Object* b, bool& tied) {
    const float* p = a->boundingBox.intervals;
    const float* q = b->boundingBox.intervals;
    tied = false;
    for (int k = 0; k < 6; ++k)
        tied = tied || p[k] == q[k & ~1] || p[k] == q[k | 1];
    for (int axis = 0; axis < 3; ++axis)
        if (!(p[2 * axis] < q[2 * axis + 1] && q[2 * axis] < p[2 * axis + 1]))
            return false;
    return true;
}

// The pairs a query of the world as it stands should give, either way round: every overlap but
// those of two blocks, leaving out tied pairs and `left` (an object added after the query).
std::set<Pair> expectedPairs(const World& world, const Object* left, std::set<Pair>& tiedPairs) {
    std::set<Pair> expected;
    tiedPairs.clear();
    for (const Object* mover : world.movables) {
        if (mover == left)
            continue;
        for (const Object* other : world.allObjects) {
            if (other == mover || other == left ||
                (other->type != BOX && std::less<const Object*>()(other, mover)))
                continue; // each pair of movers once
            bool tied = false;
            bool met = overlap(mover, other, tied);
            if (tied)
                tiedPairs.insert(ordered(mover, other));
            else if (met)
                expected.insert(ordered(mover, other));
        }
    }
    return expected;
}

// Whether a tank's base stands inside a block's footprint.
bool insideABlock(const World& world, const Tank* tank) {
    const Vec3f p = tank->position + tank->up * 0.5f; // above the face, below any block's top
    for (const Object* block : world.boxes) {
        const float* b = block->boundingBox.intervals;
        if (p.x() > b[0] && p.x() < b[1] && p.y() > b[2] && p.y() < b[3] && p.z() > b[4] &&
            p.z() < b[5])
            return true;
    }
    return false;
}

// The editor's way to a full level, one block copied to the other faces again and again: six
// stacks of hundreds of identical blocks. Tanks drive into the stacks, fire and turn layers that
// carry stacks and tanks to other faces. Every tick the collision response is handed exactly the
// overlapping pairs that are not two blocks, each once; and the stacks stay solid.
TEST(StackedBlocks, TheResponseGetsEveryOverlapButThoseOfTwoBlocksAndBlocksStaySolid) {
    installEntityHooks();
    installCollisionResponse();
    randomSource.seed(99);
    std::unique_ptr<World> world;
    std::vector<Tank*> tanks;
    quietly([&] {
        std::istringstream text(biglevels::stackedLevel());
        world.reset(readLevel(text, "stacked"));
        ASSERT_TRUE(world);
        // The two of a two-pad match, and one beside the stack of each face, heading into it.
        tanks = {world->addTank(0), world->addTank(1)};
        for (int face = 0; face < 6; ++face) {
            Vec3f at(-20, 9, world->halfExtent());
            faceOrientationMatrix(face).transformPoint(at);
            tanks.push_back(new Tank(at, world.get()));
            world->addObject(tanks.back());
        }
    });
    ASSERT_EQ(world->boxes.size(), static_cast<size_t>(MAX_LEVEL_BLOCKS));
    const Object* spawned = nullptr; // this tick's new item box, added after the query
    auto makeItemBox = world->itemBoxMaker;
    world->itemBoxMaker = [&](World& w) { return const_cast<Object*>(spawned = makeItemBox(w)); };

    size_t queries = 0, blockPairs = 0, ties = 0;
    bool answered = false;
    std::set<Pair> tiedPairs;
    auto respond = world->collisionResponse;
    world->collisionResponse = [&](World& w, std::vector<Collision*>& list, float dt) {
        std::set<Pair> reported;
        for (const Collision* c : list) {
            ASSERT_FALSE(c->object1->type == BOX && c->object2->type == BOX);
            ASSERT_TRUE(reported.insert(ordered(c->object1, c->object2)).second) << "a pair twice";
            blockPairs += c->object1->type == BOX || c->object2->type == BOX;
        }
        std::set<Pair> expected = expectedPairs(w, nullptr, tiedPairs);
        for (const Pair& tied : tiedPairs)
            ties += reported.erase(tied);
        ASSERT_EQ(reported, expected);
        answered = true;
        respond(w, list, dt);
    };

    for (int tick = 0; tick < 900; ++tick) {
        for (size_t k = 0; k < tanks.size(); ++k) {
            Tank* tank = tanks[k];
            tank->health = Tank::MAX_HEALTH; // the match goes on
            tank->setDrive(tick % 240 < 200 ? 1 : 2);
            tank->turn((k % 2 ? 0.5f : -0.4f) * TICK * static_cast<float>(tick % 90 < 20));
            tank->setFireButton(tick % 45 == static_cast<int>(k));
            if (tank->itemCount < Tank::SLOTS)
                tank->addItem(new Item(ITEM_PROJECTILE));
        }
        if (tick % 150 == 100)
            world->queueRandomTurns(1);
        const bool queried = !world->isRotating;
        answered = false;
        spawned = nullptr;
        quietly([&] { world->update(TICK); });
        ASSERT_FALSE(HasFatalFailure()) << "tick " << tick;
        if (!queried)
            continue;
        ++queries;
        if (!answered) { // the query found nothing, and nothing has moved since
            EXPECT_EQ(expectedPairs(*world, spawned, tiedPairs), std::set<Pair>())
                << "tick " << tick;
        }
        for (const Tank* tank : tanks)
            ASSERT_FALSE(insideABlock(*world, tank)) << "tick " << tick;
    }
    EXPECT_TRUE(world->validate());
    EXPECT_TRUE(world->collisionDetector.validate());
    // Without stacks met and layers turned the agreement above would prove little.
    EXPECT_GT(queries, 600u);
    EXPECT_GT(blockPairs, 3000u);
}

} // namespace
