#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "entities/entityhooks.h"
#include "entities/explosion.h"
#include "entities/itembox.h"
#include "entities/tank.h"
#include "entitytesting.h"
#include "math/faces.h"
#include "support/vecexpect.h"
#include "world/cube.h"

namespace {

// A 3x3x3 world of 28-unit cubies (faces 42 from the centre), as the game plays it.
class TankTest : public ::testing::Test {
protected:
    Tank* addTank(const Vec3f& position) {
        Tank* tank = new Tank(position, &world);
        world.addObject(tank);
        return tank;
    }
    World world{3, 28};
};

TEST_F(TankTest, HooksMakeTanksFromTheModelAndSpawnBoxes) {
    installEntityHooks();
    installEntityHooks();
    World game(3, 28);
    testing::internal::CaptureStdout();
    Tank* tank = game.addTank(4);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "pos: 0,0,42\n");
    ASSERT_NE(tank, nullptr);
    EXPECT_EQ(game.addTank(4), nullptr);
    EXPECT_EQ(tank->colour[0], FACE_COLORS[2][0]); // face 4 is red
    // The shipped model, 2 wide: its footprint's half diagonal and half height.
    EXPECT_FLOAT_EQ(Tank::modelExtents[0], 2);
    EXPECT_FLOAT_EQ(Tank::tankRadius, std::hypot(1.0f, Tank::modelExtents[1] / 2));
    EXPECT_NEAR(Tank::tankRadius, 1.5533f, 1e-3f);
    EXPECT_NEAR(tank->halfHeight, 0.7855f, 1e-3f);
    expectVecNear(Tank::muzzleOffset, Vec3f(0, 1.13931f, 1.48982f));
    const float* box = tank->boundingBox.intervals;
    EXPECT_FLOAT_EQ(box[0], -Tank::tankRadius);
    EXPECT_FLOAT_EQ(box[4], 42);
    EXPECT_FLOAT_EQ(box[5], 42 + 2 * tank->halfHeight);
    EXPECT_EQ(tank->items[0]->kind, ITEM_PROJECTILE);
    EXPECT_EQ(tank->items[1]->kind, ITEM_HEALTH);
    EXPECT_EQ(tank->items[2]->kind, ITEM_RANDOM_ROTATION);
    EXPECT_TRUE(tank->validate());
    // The spawner's boxes keep 1.75 in from the edges.
    for (int tick = 0; tick < 6 * 60 + 1; ++tick)
        game.update(TICK);
    std::vector<Object*> boxes = objectsOfType(game, ITEM_BOX);
    ASSERT_EQ(boxes.size(), 1u);
    Vec3f local = toFaceLocal(boxes[0]->position, boxes[0]->face);
    EXPECT_LE(std::fabs(local.x()), 42 - 1.75f);
    EXPECT_LE(std::fabs(local.y()), 42 - 1.75f);
    EXPECT_FLOAT_EQ(local.z(), 42);
    EXPECT_TRUE(game.validate());
}

TEST_F(TankTest, DrivingStopsAtTheEdgeWithTimersHeldThenFrictionSnapsToZero) {
    Tank* tank = addTank(Vec3f(0, 0, 42));
    tank->invulnerableTime = 4;
    tank->setDrive(1);
    tank->update(TICK);
    expectVecNear(tank->velocity, Vec3f(0, 10 * TICK, 0));
    float lastY = 0, timer = 0;
    for (int tick = 0; tick < 400; ++tick) {
        lastY = tank->position.y();
        timer = tank->invulnerableTime;
        tank->update(TICK);
        ASSERT_LT(tank->position.y(), 42);
        ASSERT_LE(tank->velocity.length(), 30.0001f);
    }
    // Pressed against the edge: no move, and the timer stands still.
    EXPECT_EQ(tank->position.y(), lastY);
    EXPECT_EQ(tank->invulnerableTime, timer);
    EXPECT_GT(tank->invulnerableTime, 0);
    EXPECT_GT(tank->velocity.y(), 20);
    // Off the throttle: 7 % less per tick, zero below 0.1, and then the timers run again.
    tank->setDrive(0);
    for (float speed = tank->velocity.length(); speed > 0;) {
        tank->update(TICK);
        float expected = speed * 0.93f < 0.1f ? 0 : speed * 0.93f;
        ASSERT_NEAR(tank->velocity.length(), expected, 1e-4f);
        speed = tank->velocity.length();
    }
    tank->update(TICK);
    EXPECT_LT(tank->invulnerableTime, timer);
    // Reverse is limited to 10, and a positive turn is clockwise seen from above.
    tank->setDrive(2);
    for (int tick = 0; tick < 200; ++tick)
        tank->update(TICK);
    expectVecNear(tank->velocity, Vec3f(0, -10, 0), 1e-3f);
    tank->turn(0.5f);
    expectVecNear(tank->forward, Vec3f(std::sqrt(0.5f), std::sqrt(0.5f), 0));
    EXPECT_TRUE(tank->validate());
    // A layer turn may round a tank to a hair beyond its new face's edge: it is not stuck there
    // (a stun would never end), but it cannot go further out either.
    Tank* drifted = addTank(Vec3f(0, 41, 42));
    drifted->position[1] = 42.00001f;
    drifted->stunTime = 1;
    drifted->update(TICK);
    EXPECT_FLOAT_EQ(drifted->stunTime, 1 - TICK);
    drifted->stunTime = 0;
    drifted->setDrive(1);
    drifted->update(TICK);
    EXPECT_EQ(drifted->position.y(), 42.00001f);
    drifted->setDrive(2);
    for (int tick = 0; tick < 30; ++tick)
        drifted->update(TICK);
    EXPECT_LT(drifted->position.y(), 42);
}

TEST_F(TankTest, InventoryIsUsedOnePressAtATime) {
    Tank* tank = addTank(Vec3f(0, 0, 42));
    for (int tick = 0; tick < 3; ++tick)
        tank->setFireButton(true); // held: one shell
    EXPECT_EQ(objectsOfType(world, PROJECTILE).size(), 1u);
    EXPECT_EQ(tank->items[0], nullptr);
    EXPECT_EQ(tank->currentItem, 1);
    tank->setFireButton(false);
    tank->setFireButton(true); // health, already full
    EXPECT_EQ(tank->health, Tank::MAX_HEALTH);
    EXPECT_EQ(tank->currentItem, 2);
    tank->setFireButton(false);
    tank->setFireButton(true); // random rotation: 3 to 5 turns, set
    EXPECT_GE(world.pendingRandomTurns, 3);
    EXPECT_LE(world.pendingRandomTurns, 5);
    EXPECT_EQ(tank->itemCount, 0);
    tank->setFireButton(false);
    tank->setFireButton(true); // nothing left
    EXPECT_EQ(world.movables.size(), 2u);
    tank->nextItem();
    EXPECT_EQ(tank->currentItem, 0);
    // Only slot 2 filled: every start finds it.
    tank->items[2] = new Item(ITEM_NUKE);
    tank->itemCount = 1;
    for (int start = 0; start < 3; ++start) {
        tank->currentItem = start;
        tank->nextItem();
        EXPECT_EQ(tank->currentItem, 2);
        EXPECT_EQ(tank->findSlot(start, true), start == 2 ? 0 : start);
    }
    EXPECT_TRUE(tank->addItem(new Item(ITEM_HEALTH)));
    EXPECT_EQ(tank->items[0]->kind, ITEM_HEALTH); // first free slot after slot 2
    EXPECT_TRUE(tank->addItem(new Item(ITEM_HEALTH)));
    // Full: refused, nothing replaced.
    EXPECT_FALSE(tank->addItem(new Item(ITEM_PROJECTILE)));
    EXPECT_EQ(tank->itemCount, 3);
    EXPECT_EQ(tank->items[2]->kind, ITEM_NUKE);
    EXPECT_TRUE(tank->validate());
}

TEST_F(TankTest, TripleShotFansOutAlongTheTanksRight) {
    Tank* tank = addTank(Vec3f(-42, 5, 3)); // face 1, heading its own forward
    delete tank->items[0];
    tank->items[0] = new Item(ITEM_TRIPLE_PROJECTILE);
    tank->setFireButton(true);
    std::vector<Object*> shells = objectsOfType(world, PROJECTILE);
    ASSERT_EQ(shells.size(), 3u);
    Vec3f right = cross(tank->forward, tank->up);
    float sideways[3];
    for (int i = 0; i < 3; ++i) {
        const Vec3f& v = shells[i]->velocity;
        EXPECT_NEAR(v.dot(tank->forward), 44, 1e-4f);
        EXPECT_NEAR(v.dot(tank->up), 44 * Tank::LAUNCH_RISE, 1e-4f);
        sideways[i] = v.dot(right);
        // One frame behind the muzzle.
        Vec3f muzzle = tank->position + tank->forward * Tank::muzzleOffset.y() +
                       tank->up * Tank::muzzleOffset.z();
        expectVecNear(shells[i]->position + v * (1.0f / 60), muzzle, 1e-4f);
    }
    std::sort(sideways, sideways + 3);
    EXPECT_NEAR(sideways[0], -17.6f, 1e-4f);
    EXPECT_NEAR(sideways[1], 0, 1e-4f);
    EXPECT_NEAR(sideways[2], 17.6f, 1e-4f);
}

TEST_F(TankTest, HitsStunSpinBlinkAndTheTenthDestroys) {
    Tank* tank = addTank(Vec3f(0, 0, 42));
    tank->hit();
    tank->hit(); // within the invulnerability: nothing
    EXPECT_EQ(tank->health, 9);
    tank->setFireButton(true); // stunned: no shot
    tank->turn(1);
    EXPECT_EQ(tank->itemCount, 3);
    expectVecNear(tank->forward, Vec3f(0, 1, 0));
    int changes = 0;
    bool wasVisible = true, spunToRest = false;
    for (int tick = 0; tick < 240; ++tick) {
        float spin = tank->spinAngle;
        tank->update(TICK);
        changes += tank->visible != wasVisible;
        wasVisible = tank->visible;
        if (tank->stunTime > 0)
            ASSERT_NEAR(tank->spinAngle, std::fmod(spin + 9, 360.0f), 1e-3f);
        else if (spin != 0 && tank->spinAngle == 0)
            spunToRest = true; // finished its last turn after the stun
    }
    EXPECT_TRUE(spunToRest);
    EXPECT_EQ(tank->spinAngle, 0);
    EXPECT_NEAR(changes, 32, 1); // four blinks a second for four seconds
    EXPECT_TRUE(tank->visible);
    for (int hits = 2; hits <= 10; ++hits) {
        tank->update(Tank::INVULNERABLE_TIME);
        tank->hit();
        EXPECT_EQ(tank->health, 10 - hits);
    }
    EXPECT_EQ(std::count(world.movables.begin(), world.movables.end(), tank), 0);
    std::vector<Object*> blasts = objectsOfType(world, EXPLOSION);
    ASSERT_EQ(blasts.size(), 1u);
    expectVecNear(blasts[0]->position, tank->position);
    blasts[0]->update(TICK);
    EXPECT_FLOAT_EQ(static_cast<Explosion*>(blasts[0])->radius, 20 * 0.2f);
    EXPECT_TRUE(world.validate());
    delete tank; // out of the world, and not made by addTank
}

// The dominant world axis of the chosen tank axis, and a sense that, seen along the tank's own
// axis, is the same on every face and heading: direction true turns clockwise about it.
TEST_F(TankTest, LayerTurnsFollowTheTanksFrame) {
    for (int face = 0; face < 6; ++face)
        for (int heading = 0; heading < 4; ++heading)
            for (int choice = 0; choice < 3; ++choice)
                for (bool direction : {false, true}) {
                    const Vec3f& n = faceNormal(face);
                    Vec3f offset(5, 5, 5);
                    Tank tank(n * 42.0f + offset - n * n.dot(offset), &world);
                    for (int k = 0; k < heading; ++k)
                        tank.turn(-1); // +90 degrees
                    Vec3f axes[3] = {cross(tank.forward, tank.up), tank.forward, tank.up};
                    tank.rotateLayer(choice, direction);
                    tank.rotateLayer(choice, direction); // refused mid-turn
                    ASSERT_TRUE(world.isRotating);
                    Vec3f turnAxis = faceNormal(faceIndex(world.rotationAxis, true)) *
                                     (world.rotationDirection == 0 ? 1.0f : -1.0f);
                    EXPECT_NEAR(turnAxis.dot(axes[choice]), direction ? -1 : 1, 1e-4f)
                        << face << " " << heading << " " << choice;
                    Layer::Cell cell = world.cellOf(tank.position);
                    int along[3] = {cell.x, cell.y, cell.z};
                    EXPECT_EQ(world.rotatingLayer % 3, along[world.rotationAxis]);
                    while (world.isRotating)
                        world.update(TICK);
                }
    // End to end: the face layer turned clockwise carries the tank's heading clockwise.
    Tank* tank = addTank(Vec3f(0, 0, 42));
    tank->rotateLayer(2, true);
    while (world.isRotating)
        world.update(TICK);
    expectVecNear(tank->forward, Vec3f(1, 0, 0), 1e-4f);
    EXPECT_TRUE(tank->validate());
    EXPECT_TRUE(world.validate());
}

} // namespace
