#include <gtest/gtest.h>

#include "math/faces.h"
#include "math/randomsource.h"
#include "support/probeobject.h"
#include "support/vecexpect.h"
#include "world/world.h"

namespace {

// Ticks a world until its turn ends, checking the world after every tick; returns the ticks.
int finishTurn(World& world) {
    int ticks = 0;
    while (world.isRotating && ticks < 100) {
        world.update(1.0f / 60);
        ++ticks;
        EXPECT_TRUE(world.validate());
    }
    return ticks;
}

TEST(WorldTurn, RidersAndOnlyRidersAreCarriedToTheirNewFace) {
    World world(3, 10);
    auto* rider = new ProbeObject(Vec3f(0, 0, 15), &world);         // +Z face, x layer 1
    auto* block = new ProbeObject(Vec3f(2, 4, 15), &world, BOX);    // same layer
    auto* fromTop = new ProbeObject(Vec3f(-2, 15, 3), &world);      // +Y face, x layer 1
    auto* bystander = new ProbeObject(Vec3f(10, 0, 15), &world);    // +Z face, x layer 2
    auto* sideFace = new ProbeObject(Vec3f(15, 0, 0), &world, BOX); // +X face: layer 2 only
    for (ProbeObject* p : {rider, block, fromTop, bystander, sideFace})
        world.addObject(p);

    world.startRotation(1, 0); // X layer 1, positive angles: +Z goes to -Y, +Y to +Z
    EXPECT_TRUE(world.validate());
    EXPECT_EQ(world.turningObjects.size(), 3u);
    EXPECT_TRUE(rider->onRotatingLayer);
    EXPECT_FALSE(bystander->onRotatingLayer);
    EXPECT_EQ(finishTurn(world), 18);

    EXPECT_EQ(rider->face, 3);
    expectVecNear(rider->position, Vec3f(0, -15, 0), 1e-3f);
    expectVecNear(rider->up, Vec3f(0, -1, 0), 1e-3f);
    expectVecNear(rider->forward, Vec3f(0, 0, 1), 1e-3f);
    EXPECT_FALSE(rider->onRotatingLayer);
    EXPECT_EQ(block->face, 3);
    expectVecNear(block->position, Vec3f(2, -15, 4), 1e-3f);
    EXPECT_EQ(fromTop->face, 4);
    expectVecNear(fromTop->position, Vec3f(-2, -3, 15), 1e-3f);
    expectVecNear(fromTop->forward, Vec3f(0, 1, 0), 1e-3f);
    EXPECT_EQ(rotateFace(0, 0, 4), 3);

    EXPECT_EQ(bystander->face, 4);
    expectVecNear(bystander->position, Vec3f(10, 0, 15), 0);
    EXPECT_EQ(sideFace->face, 0);
    expectVecNear(sideFace->position, Vec3f(15, 0, 0), 0);

    // The carried box follows its object to the new face.
    const float* b = rider->boundingBox.intervals;
    EXPECT_NEAR(b[2], -16, 1e-3);
    EXPECT_NEAR(b[3], -14, 1e-3);
    EXPECT_NEAR(b[4], -1, 1e-3);
    EXPECT_NEAR(b[5], 1, 1e-3);
}

TEST(WorldTurn, RidersOfAFaceOnTheAxisTurnInPlace) {
    World world(3, 10);
    auto* onAxisFace = new ProbeObject(Vec3f(15, 2, 0), &world);
    world.addObject(onAxisFace);
    world.rotateAt(0, 14, 1); // X layer 2, negative angles
    EXPECT_TRUE(onAxisFace->onRotatingLayer);
    finishTurn(world);
    EXPECT_EQ(onAxisFace->face, 0);
    expectVecNear(onAxisFace->position, Vec3f(15, 0, -2), 1e-3f);
    expectVecNear(onAxisFace->forward, Vec3f(0, 0, -1), 1e-3f);
}

TEST(WorldTurn, NothingTicksDuringATurnButTheItemTimerRuns) {
    World world(3, 10);
    auto* mover = new ProbeObject(Vec3f(10, 10, 15), &world);
    auto* other = new ProbeObject(Vec3f(10, 10.5f, 15), &world); // overlapping mover
    world.addObject(mover);
    world.addObject(other);
    int responses = 0;
    world.collisionResponse = [&](World&, std::vector<Collision*>&, float) { ++responses; };
    int spawned = 0;
    world.itemBoxMaker = [&](World& w) -> Object* {
        ++spawned;
        return new ProbeObject(Vec3f(0, 0, -15), &w, ITEM_BOX);
    };
    world.startRotation(4, 0); // Y layer 1: neither object rides
    float before = world.itemTimer;
    for (int i = 0; i < 17; ++i)
        world.update(1.0f);
    EXPECT_TRUE(world.isRotating);
    EXPECT_EQ(mover->updates, 0);
    EXPECT_EQ(responses, 0);
    EXPECT_EQ(spawned, 0);
    EXPECT_FLOAT_EQ(world.itemTimer, before - 17);
    world.update(1.0f); // ends the turn; the expired timer spawns in the same tick
    EXPECT_FALSE(world.isRotating);
    EXPECT_EQ(spawned, 1);
    EXPECT_EQ(mover->updates, 0);
    world.update(1.0f);
    EXPECT_EQ(mover->updates, 1);
    EXPECT_EQ(responses, 1);
}

TEST(WorldTurn, QueuedRandomTurnsRunBackToBack) {
    World world(4, 10);
    randomSource.seed(21);
    auto* mover = new ProbeObject(Vec3f(0, 0, 20), &world);
    world.addObject(mover);
    world.queueRandomTurns(3);
    world.update(1.0f / 60); // objects tick, then the first turn starts
    EXPECT_EQ(mover->updates, 1);
    EXPECT_TRUE(world.isRotating);
    EXPECT_EQ(world.pendingRandomTurns, 2);
    for (int tick = 2; tick <= 55; ++tick) {
        world.update(1.0f / 60);
        ASSERT_TRUE(world.validate());
        EXPECT_EQ(world.isRotating, tick < 55) << tick;
    }
    EXPECT_EQ(world.pendingRandomTurns, 0);
    EXPECT_EQ(mover->updates, 1);
    world.update(1.0f / 60);
    EXPECT_EQ(mover->updates, 2);
}

TEST(WorldTurn, AnObjectOnALayerBoundaryBelongsToTheUpperLayer) {
    World world(3, 10);
    auto* onBoundary = new ProbeObject(Vec3f(-5, 0, 15), &world);
    world.addObject(onBoundary);
    world.startRotation(0, 0); // X layer 0 spans [-15, -5)
    EXPECT_FALSE(onBoundary->onRotatingLayer);
    finishTurn(world);
    world.startRotation(1, 0); // X layer 1 spans [-5, 5)
    EXPECT_TRUE(onBoundary->onRotatingLayer);
    finishTurn(world);
}

TEST(WorldTurn, LayerClipPlanesBoundTheTurningSlab) {
    World world(3, 10);
    world.startRotation(2 * 3 + 2, 1); // Z layer 2 spans [5, 15]
    auto side = [&](int plane, float z) {
        const double* p = world.layerClipPlanes[plane];
        return p[0] * 1 + p[1] * 2 + p[2] * z + p[3]; // kept where >= 0
    };
    EXPECT_GE(side(0, 6), 0); // inside: above the lower bound
    EXPECT_LT(side(0, 4), 0);
    EXPECT_GE(side(1, 14), 0); // inside: below the upper bound
    EXPECT_LT(side(1, 16), 0);
    EXPECT_GE(side(2, 16), 0); // the region above the layer
    EXPECT_LT(side(2, 14), 0);
    EXPECT_GE(side(3, 4), 0); // the region below it
    EXPECT_LT(side(3, 6), 0);
}

TEST(WorldTurn, RandomTurnsKeepEveryObjectStandingOnItsFace) {
    World world(5, 8);
    randomSource.seed(77);
    for (int i = 0; i < 40; ++i) {
        Vec3f p = world.randomFacePosition(1, 1);
        world.addObject(new ProbeObject(p, &world, i % 3 == 0 ? BOX : TANK));
    }
    world.queueRandomTurns(12);
    for (int tick = 0; tick < 12 * 18 + 5; ++tick) {
        world.update(1.0f / 60);
        ASSERT_TRUE(world.validate());
    }
    for (Object* o : world.allObjects) {
        EXPECT_EQ(o->face, faceOf(o->up));
        EXPECT_NEAR(o->position.dot(o->up), world.halfExtent(), 1e-2f);
        EXPECT_NEAR(o->up.dot(faceNormal(o->face)), 1.0f, 1e-4f);
        EXPECT_NEAR(o->forward.dot(o->up), 0.0f, 1e-4f);
    }
}

} // namespace
