#include <gtest/gtest.h>

#include <algorithm>

#include "math/colours.h"
#include "math/constants.h"
#include "math/faces.h"
#include "math/randomsource.h"
#include "support/probeobject.h"
#include "support/vecexpect.h"
#include "world/world.h"

namespace {

// A point standing on face `face` of a world with half extent h, at face-local (x, y).
Vec3f onFace(int face, float h, float x = 0, float y = 0) {
    Vec3f p(x, y, h);
    faceOrientationMatrix(face).transformPoint(p);
    return p;
}

TEST(World, ConstructionSetsLightsShadowsAndClipPlanes) {
    World world(3, 10);
    EXPECT_FLOAT_EQ(world.halfExtent(), 15);
    EXPECT_NEAR(world.lightAngle, PI / 3, 1e-6);
    EXPECT_EQ(world.specular[0], 0.0f);
    EXPECT_FLOAT_EQ(world.lightPositions[3].y(), -30);
    EXPECT_FLOAT_EQ(world.lightPositions[3].w(), 1);
    // Face 4 (+Z) is bounded on x and y at the face's edge less the bevel (0.5).
    int xPlanes = 0, yPlanes = 0;
    for (const auto& plane : world.faceClipPlanes[4]) {
        EXPECT_EQ(plane[2], 0.0);
        EXPECT_DOUBLE_EQ(plane[3], 14.5);
        xPlanes += plane[0] != 0;
        yPlanes += plane[1] != 0;
        // The plane keeps the face centre and cuts just beyond the edge it faces away from.
        EXPECT_GT(plane[3], 0.0);
        EXPECT_LT(-15 * (plane[0] * plane[0] + plane[1] * plane[1]) + plane[3], 0.0);
    }
    EXPECT_EQ(xPlanes, 2);
    EXPECT_EQ(yPlanes, 2);
    // A shadow matrix flattens a point onto the plane 0.05 above its face.
    Vec4f p(2, 3, 20, 1);
    world.shadowMatrices[4].transform(p);
    EXPECT_NEAR(p.z() / p.w(), 15.05f, 1e-4f);
    EXPECT_TRUE(world.validate());
}

TEST(World, GravityPullsIntoTheCubeOnEveryFace) {
    World world(3, 10);
    for (int f = 0; f < 6; ++f) {
        Vec3f g = world.gravityAt(onFace(f, 15, 3, -4) + faceNormal(f) * 2.0f);
        Vec3f expected = faceNormal(f) * -75.0f;
        EXPECT_FLOAT_EQ(g.x(), expected.x());
        EXPECT_FLOAT_EQ(g.y(), expected.y());
        EXPECT_FLOAT_EQ(g.z(), expected.z());
    }
}

TEST(World, ListsStayFaceSortedAndObjectsAreFiledByType) {
    World world(3, 10);
    randomSource.seed(3);
    const int types[] = {TANK, BOX, ITEM_BOX, PROJECTILE, BOX, EXPLOSION};
    for (int i = 0; i < 30; ++i) {
        int face = randomSource.randomInt(0, 5);
        world.addObject(new ProbeObject(onFace(face, 15, i % 7 - 3.0f, 2), &world, types[i % 6]));
        ASSERT_TRUE(world.validate()) << i;
    }
    EXPECT_EQ(world.boxes.size(), 10u);
    EXPECT_EQ(world.movables.size(), 20u);
    EXPECT_EQ(world.itemCount, 5);
    while (!world.allObjects.empty()) {
        Object* victim = world.allObjects[world.allObjects.size() / 2];
        world.removeObject(victim);
        delete victim;
        ASSERT_TRUE(world.validate());
    }
    EXPECT_EQ(world.itemCount, 0);
}

TEST(World, RemovingAnObjectTwiceChangesNothing) {
    World world(3, 10);
    auto* item = new ProbeObject(onFace(2, 15), &world, ITEM_BOX);
    world.addObject(item);
    world.removeObject(item);
    world.removeObject(item);
    EXPECT_EQ(world.itemCount, 0);
    EXPECT_TRUE(world.validate());
    delete item;
}

TEST(World, TickUpdatesEveryMovableOnceAndReportsCollisions) {
    World world(3, 10);
    auto* a = new ProbeObject(onFace(4, 15), &world);
    auto* b = new ProbeObject(onFace(4, 15, 1, 0), &world); // overlaps a
    auto* block = new ProbeObject(onFace(0, 15), &world, BOX);
    world.addObject(a);
    world.addObject(b);
    world.addObject(block);
    int reported = 0;
    world.collisionResponse = [&](World& w, std::vector<Collision*>& pairs, float dt) {
        EXPECT_EQ(&w, &world);
        EXPECT_FLOAT_EQ(dt, 0.02f);
        ASSERT_EQ(pairs.size(), 1u);
        EXPECT_EQ(pairs[0]->object1, b);
        EXPECT_EQ(pairs[0]->object2, a);
        ++reported;
    };
    world.update(0.02f);
    EXPECT_EQ(a->updates, 1);
    EXPECT_EQ(b->updates, 1);
    EXPECT_EQ(block->updates, 0); // blocks are not ticked
    EXPECT_FLOAT_EQ(a->lastDt, 0.02f);
    EXPECT_EQ(reported, 1);
}

// An update that removes its own object: the walk re-reads the list, so the object that moves
// into the freed place waits until the next tick; no other object is skipped or repeated.
TEST(World, SelfRemovalDuringTheWalkLetsOnlyTheNextObjectWait) {
    World world(3, 10);
    std::vector<ProbeObject*> probes;
    for (int i = 0; i < 4; ++i) {
        probes.push_back(new ProbeObject(onFace(i, 15), &world));
        world.addObject(probes.back());
    }
    int destroyed = 0;
    auto* leaving = new ProbeObject(onFace(1, 15, 5, 5), &world, PROJECTILE, &destroyed);
    leaving->onUpdate = [&world](ProbeObject& self) {
        world.removeObject(&self);
        delete &self;
    };
    world.addObject(leaving); // sorted after probe 1, before probe 2
    world.update(0.016f);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(probes[0]->updates, 1);
    EXPECT_EQ(probes[1]->updates, 1);
    EXPECT_EQ(probes[2]->updates, 0); // took the removed object's place
    EXPECT_EQ(probes[3]->updates, 1);
    EXPECT_TRUE(world.validate());
    world.update(0.016f);
    for (ProbeObject* p : probes)
        EXPECT_GE(p->updates, 1);
}

// An update that adds an object: one sorted after the current one is ticked in the same walk;
// one sorted before it pushes the current object up, so that one goes twice.
TEST(World, ObjectsAddedDuringTheWalk) {
    World world(3, 10);
    auto* first = new ProbeObject(onFace(0, 15), &world);
    auto* spawner = new ProbeObject(onFace(3, 15), &world);
    auto* last = new ProbeObject(onFace(5, 15), &world);
    for (ProbeObject* p : {first, spawner, last})
        world.addObject(p);
    ProbeObject* later = nullptr;
    ProbeObject* earlier = nullptr;
    int spawnFace = 4; // the next update spawns on this face; -1 spawns nothing
    spawner->onUpdate = [&](ProbeObject&) {
        if (spawnFace < 0)
            return;
        auto* spawned = new ProbeObject(onFace(spawnFace, 15), &world);
        (spawnFace == 4 ? later : earlier) = spawned;
        world.addObject(spawned);
        spawnFace = -1;
    };
    world.update(0.016f);
    ASSERT_NE(later, nullptr);
    EXPECT_EQ(later->updates, 1);
    EXPECT_EQ(first->updates, 1);
    EXPECT_EQ(spawner->updates, 1);
    EXPECT_EQ(last->updates, 1);

    spawnFace = 1;
    world.update(0.016f);
    EXPECT_EQ(earlier->updates, 0);
    EXPECT_EQ(spawner->updates, 3); // pushed up one place, it came round again
    EXPECT_EQ(last->updates, 2);
    EXPECT_EQ(later->updates, 2);
    EXPECT_TRUE(world.validate());
}

TEST(World, ItemBoxesSpawnOnTheTimerUpToTen) {
    World world(3, 10);
    randomSource.seed(11);
    world.itemBoxMaker = [](World& w) -> Object* {
        return new ProbeObject(w.randomFacePosition(1.75f, 1.75f), &w, ITEM_BOX);
    };
    world.update(5.9f);
    EXPECT_EQ(world.itemCount, 0);
    world.update(0.2f);
    EXPECT_EQ(world.itemCount, 1);
    EXPECT_FLOAT_EQ(world.itemTimer, 6.0f);
    for (int i = 0; i < 20; ++i)
        world.update(6.0f);
    EXPECT_EQ(world.itemCount, 10);
    EXPECT_LE(world.itemTimer, 0.0f); // stays expired while ten are out
    Object* taken = world.movables.front();
    world.removeObject(taken);
    delete taken;
    world.update(0.0f);
    EXPECT_EQ(world.itemCount, 10); // replaced on the very next tick
    EXPECT_TRUE(world.validate());
}

TEST(World, RandomFacePositionsLieOnAFaceInsideTheMargins) {
    World world(4, 10);
    randomSource.seed(5);
    for (int i = 0; i < 500; ++i) {
        Vec3f p = world.randomFacePosition(1.75f, 1.75f);
        int f = faceOf(p);
        Vec3f local = toFaceLocal(p, f);
        ASSERT_FLOAT_EQ(local.z(), 20.0f);
        ASSERT_LE(std::fabs(local.x()), 20.0f - 1.75f + 1e-4f);
        ASSERT_LE(std::fabs(local.y()), 20.0f - 1.75f + 1e-4f);
    }
}

TEST(World, DeletingTheWorldDeletesTheObjectsStillInIt) {
    int destroyed = 0;
    auto* world = new World(2, 28);
    for (int f = 0; f < 6; ++f)
        world->addObject(new ProbeObject(onFace(f, 28), world, f % 2 ? BOX : TANK, &destroyed));
    auto* removed = new ProbeObject(onFace(4, 28, 3, 3), world, TANK, &destroyed);
    world->addObject(removed);
    world->removeObject(removed);
    delete world;
    EXPECT_EQ(destroyed, 6);
    delete removed;
    EXPECT_EQ(destroyed, 7);
}

// The world owns what it makes and what it is given to discard: a tank that has left the lists
// (destroyed, its player still reading it) and a box discarded mid-response are both deleted,
// each exactly once, and a discarded box lives until the response pass of its tick is over.
TEST(World, AddTankPlacesOneTankPerFaceAndOwnsItToTheEnd) {
    int destroyed = 0;
    auto* world = new World(3, 28);
    EXPECT_EQ(world->addTank(0), nullptr); // no tank maker installed: nothing is made
    std::vector<Vec4f> colours;
    world->tankMaker = [&](World& w, const Vec3f& at, const Vec4f& colour) {
        colours.push_back(colour);
        auto* probe = new ProbeObject(at, &w, TANK, &destroyed);
        return World::MadeTank{reinterpret_cast<Tank*>(probe), probe};
    };
    for (int face : {4, 0, 2})
        ASSERT_NE(world->addTank(face), nullptr);
    EXPECT_EQ(world->addTank(4), nullptr);
    ASSERT_EQ(world->tanks.size(), 3u);
    EXPECT_FLOAT_EQ(world->itemInterval, 2.0f);
    auto* first = reinterpret_cast<ProbeObject*>(world->tanks[0]);
    expectVecNear(first->position, Vec3f(0, 0, 42));
    // Each in the colour its face starts with: +Z red, +X blue, +Y white.
    const Vec4f expected[3] = {RED, BLUE, WHITE};
    for (int i = 0; i < 3; ++i)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(colours[i][c], expected[i][c]) << i;

    world->removeObject(first); // destroyed in play: out of the lists, still owned
    auto* crushed = new ProbeObject(onFace(2, 28, 5, 5), world, ITEM_BOX, &destroyed);
    world->addObject(crushed);
    world->addObject(new ProbeObject(onFace(2, 28, 5, 5), world, BOX, &destroyed)); // its crusher
    world->collisionResponse = [&](World& w, std::vector<Collision*>&, float) {
        w.discard(crushed);
        w.discard(crushed); // a second record naming it must not delete it twice
        EXPECT_EQ(destroyed, 0);
    };
    world->update(0.016f);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(world->itemCount, 0);
    EXPECT_TRUE(world->validate());
    delete world;
    EXPECT_EQ(destroyed, 5);
}

} // namespace
