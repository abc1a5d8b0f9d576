#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "entities/entityhooks.h"
#include "entities/explosion.h"
#include "entities/tank.h"
#include "entitytesting.h"
#include "math/faces.h"
#include "support/vecexpect.h"
#include "world/cube.h"

namespace {

class TankTest : public EntityTest {
protected:
    Tank* addTank(const Vec3f& position) {
        Tank* tank = new Tank(position, &world);
        world.addObject(tank);
        return tank;
    }
    static void run(Tank* tank, int ticks) {
        for (int tick = 0; tick < ticks; ++tick)
            tank->update(TICK);
    }
};

TEST_F(TankTest, HooksMakeTanksMeasuredFromTheModelAndSpawnBoxes) {
    installEntityHooks();
    installEntityHooks();
    EXPECT_FALSE(World::defaultHooks().collisionResponse); // left to the game's response
    World game(3, 28);
    testing::internal::CaptureStdout();
    Tank* tank = game.addTank(4);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "pos: 0,0,42\n");
    EXPECT_EQ(game.addTank(4), nullptr);
    EXPECT_EQ(tank->colour[1], FACE_COLORS[2][1]); // red, face 4's colour
    // 2 wide; the box is the footprint's half diagonal square, standing on the face.
    EXPECT_FLOAT_EQ(Tank::tankRadius, std::hypot(1.0f, Tank::modelExtents[1] / 2));
    EXPECT_NEAR(Tank::tankRadius, 1.5533f, 1e-3f);
    EXPECT_NEAR(tank->boundingBox.intervals[5], 42 + 2 * 0.7855f, 1e-3f);
    EXPECT_FLOAT_EQ(tank->boundingBox.intervals[4], 42);
    expectVecNear(Tank::muzzleOffset, Vec3f(0, 1.13931f, 1.48982f));
    EXPECT_EQ(tank->items[1]->kind, ITEM_HEALTH);
    for (int tick = 0; tick <= 6 * 60; ++tick)
        game.update(TICK);
    EXPECT_EQ(objectsOfType(game, ITEM_BOX).size(), 1u);
    EXPECT_TRUE(game.validate() && tank->validate());
}

TEST_F(TankTest, DrivingStopsAtTheEdgeWithTimersHeldAndFrictionSnapsToZero) {
    Tank* tank = addTank(Vec3f(0, 0, 42));
    tank->invulnerableTime = 4;
    tank->setDrive(1);
    run(tank, 400);
    float y = tank->position.y(), timer = tank->invulnerableTime;
    run(tank, 1);
    // Pressed against the edge, close to it: no move, and the timer stands still.
    EXPECT_GT(y, 41.5f);
    EXPECT_EQ(tank->position.y(), y);
    EXPECT_EQ(tank->invulnerableTime, timer);
    EXPECT_NEAR(tank->velocity.y(), 30, 1e-3f);
    // Off the throttle: 7 % less per tick, zero below 0.1, and then the timers run again.
    tank->setDrive(0);
    for (float speed = tank->velocity.length(); speed > 0; speed = tank->velocity.length()) {
        run(tank, 1);
        ASSERT_NEAR(tank->velocity.length(), speed * 0.93f < 0.1f ? 0 : speed * 0.93f, 1e-4f);
    }
    EXPECT_LT(tank->invulnerableTime, timer);
    // Reverse is limited to 10, and a positive turn is clockwise seen from above.
    tank->setDrive(2);
    run(tank, 200);
    expectVecNear(tank->velocity, Vec3f(0, -10, 0), 1e-3f);
    tank->turn(0.5f);
    expectVecNear(tank->forward, Vec3f(std::sqrt(0.5f), std::sqrt(0.5f), 0));
    // Driven the way it moves, only the sideways drift is damped.
    Vec3f f = tank->forward;
    float s = tank->velocity.dot(f);
    Vec3f drift = tank->velocity - f * s;
    run(tank, 1);
    expectVecNear(tank->velocity, f * (s - 10 * TICK) + drift * 0.93f, 1e-4f);
    EXPECT_TRUE(tank->validate());
    // A layer turn may round a tank to a hair beyond its new face's edge: it is not stuck there
    // (a stun would never end), but it cannot go further out either.
    tank->position[1] = 42.00001f;
    tank->velocity = Vec3f();
    tank->stunTime = 1;
    run(tank, 1);
    EXPECT_FLOAT_EQ(tank->stunTime, 1 - TICK);
    tank->stunTime = 0;
    tank->turn(-0.5f);
    tank->setDrive(1);
    run(tank, 1);
    EXPECT_EQ(tank->position.y(), 42.00001f);
    tank->setDrive(2);
    run(tank, 10);
    EXPECT_LT(tank->position.y(), 42);
}

TEST_F(TankTest, ItemsAreUsedOnePressAtATime) {
    Tank* tank = addTank(Vec3f(0, 0, 42));
    for (int press = 0; press < 4; ++press) {
        tank->setFireButton(true);
        tank->setFireButton(true); // held: nothing more
        tank->setFireButton(false);
        // The shell, the health item (at full health), the turns, then nothing.
        EXPECT_EQ(objectsOfType(world, PROJECTILE).size(), 1u);
        EXPECT_EQ(tank->currentItem, std::min(press + 1, 2));
    }
    EXPECT_EQ(tank->health, Tank::MAX_HEALTH);
    EXPECT_TRUE(world.pendingRandomTurns >= 3 && world.pendingRandomTurns <= 5);
    EXPECT_EQ(world.movables.size(), 2u); // the fourth press had nothing left to use
    tank->nextItem();
    EXPECT_EQ(tank->currentItem, 0);
    // Only slot 2 filled: every start finds it; the free slots come from the start on.
    tank->items[2] = new Item(ITEM_NUKE);
    tank->itemCount = 1;
    for (int start = 0; start < 3; ++start) {
        tank->currentItem = start;
        tank->nextItem();
        EXPECT_EQ(tank->currentItem, 2);
        EXPECT_EQ(tank->findSlot(start, true), start == 2 ? 0 : start);
    }
    EXPECT_TRUE(tank->addItem(new Item(ITEM_HEALTH)) && tank->addItem(new Item(ITEM_HEALTH)));
    EXPECT_EQ(tank->items[0]->kind, ITEM_HEALTH);
    EXPECT_FALSE(tank->addItem(new Item(ITEM_PROJECTILE))); // full: refused, nothing replaced
    EXPECT_EQ(tank->items[2]->kind, ITEM_NUKE);
    EXPECT_TRUE(tank->validate());
}

TEST_F(TankTest, TripleShotFansOutFromTheMuzzle) {
    Tank* tank = addTank(Vec3f(-42, 5, 3)); // face 1
    tank->turn(0.3f);
    tank->velocity = Vec3f(0, 0, 2);
    delete tank->items[0];
    tank->items[0] = new Item(ITEM_TRIPLE_PROJECTILE);
    tank->setFireButton(true);
    std::vector<Object*> shells = objectsOfType(world, PROJECTILE);
    ASSERT_EQ(shells.size(), 3u);
    Vec3f right = cross(tank->forward, tank->up);
    Vec3f muzzle = tank->position + tank->forward * 1.13931f + tank->up * 1.48982f;
    std::vector<float> sideways;
    for (Object* shell : shells) {
        Vec3f v = shell->velocity - tank->velocity;
        EXPECT_NEAR(v.dot(tank->forward), 44, 1e-4f);
        EXPECT_NEAR(v.dot(tank->up), 26.7232659f, 1e-4f);
        sideways.push_back(v.dot(right));
        expectVecNear(shell->position + shell->velocity * (1.0f / 60), muzzle, 1e-4f);
    }
    std::sort(sideways.begin(), sideways.end());
    expectVecNear(Vec3f(sideways[0], sideways[1], sideways[2]), Vec3f(-17.6f, 0, 17.6f), 1e-4f);
}

TEST_F(TankTest, HitsStunSpinBlinkAndTheTenthDestroys) {
    Tank* tank = addTank(Vec3f(0, 0, 42));
    tank->hit();
    tank->hit(); // within the invulnerability: nothing
    EXPECT_EQ(tank->health, 9);
    tank->setFireButton(true); // stunned: neither fires nor turns
    tank->turn(1);
    EXPECT_EQ(tank->itemCount, 3);
    expectVecNear(tank->forward, Vec3f(0, 1, 0));
    int blinks = 0, hidden = 0, spins = 0;
    for (int tick = 0; tick < 240; ++tick) {
        bool visible = tank->visible;
        float spin = tank->spinAngle;
        run(tank, 1);
        blinks += tank->visible != visible;
        hidden += !tank->visible;
        spins += tank->spinAngle < spin; // each turn ends by passing 360
        ASSERT_TRUE(tank->stunTime <= 0 ||
                    std::fabs(tank->spinAngle - std::fmod(spin + 9, 360.0f)) < 1e-3f);
    }
    EXPECT_EQ(spins, 3); // 810 degrees in the stun, the rest of the third turn after it
    EXPECT_EQ(tank->spinAngle, 0);
    EXPECT_NEAR(blinks, 32, 1);     // four blinks a second for four seconds, each half hidden
    EXPECT_NEAR(hidden, 16 * 7, 2); // 7 of the 15 ticks of each quarter second
    for (int hits = 2; hits <= 10; ++hits) {
        tank->update(Tank::INVULNERABLE_TIME);
        tank->hit();
    }
    tank->invulnerableTime = 0;
    tank->hit(); // destroyed: stays at 0, the player's end
    EXPECT_EQ(tank->health, 0);
    EXPECT_EQ(std::count(world.movables.begin(), world.movables.end(), tank), 0);
    std::vector<Object*> blasts = objectsOfType(world, EXPLOSION);
    ASSERT_EQ(blasts.size(), 1u);
    expectVecNear(blasts[0]->position, tank->position);
    EXPECT_FLOAT_EQ(static_cast<Explosion*>(blasts[0])->growth, 20 * 0.2f);
    EXPECT_TRUE(world.validate());
    delete tank; // out of the world, and not one addTank made
}

// The dominant world axis of the chosen tank axis, in a sense that is the same on every face
// and heading seen along the tank's own axis: direction true turns clockwise about it.
TEST_F(TankTest, LayerTurnsFollowTheTanksFrame) {
    for (int face = 0; face < 6; ++face)
        for (int choice = 0; choice < 3 * 4 * 2; ++choice) {
            const Vec3f& n = faceNormal(face);
            Vec3f offset(5, 5, 5);
            Tank tank(n * 42.0f + offset - n * n.dot(offset), &world);
            tank.turn(-(choice / 6) * 1.0f); // heading: +90 degrees each
            Vec3f axes[3] = {cross(tank.forward, tank.up), tank.forward, tank.up};
            bool direction = choice % 2 == 1;
            tank.rotateLayer(choice / 2 % 3, direction);
            tank.rotateLayer(choice / 2 % 3, direction); // refused mid-turn
            ASSERT_TRUE(world.isRotating);
            Vec3f turnAxis =
                faceNormal(faceIndex(world.rotationAxis, world.rotationDirection == 0));
            EXPECT_NEAR(turnAxis.dot(axes[choice / 2 % 3]), direction ? -1 : 1, 1e-4f) << face;
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
    EXPECT_TRUE(tank->validate() && world.validate());
}

} // namespace
