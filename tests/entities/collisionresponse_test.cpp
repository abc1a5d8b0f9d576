#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "entities/collisionresponder.h"
#include "entities/explosion.h"
#include "entities/projectile.h"
#include "entities/tank.h"
#include "entitytesting.h"
#include "responsetesting.h"
#include "support/vecexpect.h"
#include "world/box.h"
#include "world/obstacle.h"

namespace {

const Vec3f BASE(0, 0, 42), X(1, 0, 0), Y(0, 1, 0), UP(0, 0, 1); // on face 4

// Every case twice: with the pair as the detector might report it, and swapped.
class ResponseTable : public EntityTest, public testing::WithParamInterface<bool> {
protected:
    template <typename T> T* add(T* object) {
        world.addObject(object);
        return object;
    }
    Tank* tankAt(const Vec3f& position, const Vec3f& velocity = Vec3f()) {
        Tank* tank = nullptr;
        quietly([&] { tank = add(new Tank(position, &world)); });
        tank->velocity = velocity;
        return tank;
    }
    std::string answer(Object* a, Object* b) {
        Collision c = GetParam() ? Collision{b, a} : Collision{a, b};
        CollisionResponder responder(&world);
        return quietly([&] { responder.respond(&c, TICK); });
    }
    bool in(const Object* o) const { return world.collisionDetector.isRegistered(o); }
};
INSTANTIATE_TEST_SUITE_P(BothOrders, ResponseTable, testing::Bool());

TEST_P(ResponseTable, PairsOutsideTheTableChangeNothing) {
    std::vector<Object*> all; // two of each type in one heap, the tanks and shells moving
    quietly([&] {
        for (const Vec3f& at : {BASE, BASE + X * 0.5f})
            all.insert(all.end(),
                       {tankAt(at, X * 10), add(new ItemBox(at, &world)),
                        add(new Projectile(at + UP, Y * 10, &world, ITEM_PROJECTILE)),
                        add(new Box(at - X * 4, &world, 4, 4, 4)), add(new Obstacle(at, &world)),
                        add(new Explosion(at, &world, 8))});
    });
    auto state = [&] {
        std::vector<float> s;
        for (const Object* o : all)
            s.insert(s.end(), {o->position.x(), o->position.y(), o->velocity.x(), o->velocity.y(),
                               float(in(o)),
                               o->type == TANK ? float(static_cast<const Tank*>(o)->health) : 0});
        return s;
    };
    const std::vector<float> before = state();
    for (Object* a : all)
        for (Object* b : all) {
            int low = std::min(a->type, b->type), high = std::max(a->type, b->type);
            if (a == b || (low == TANK && high != TANK && high != PROJECTILE) ||
                (low == ITEM_BOX && high == BOX) ||
                (low == PROJECTILE && (high == BOX || high == OBSTACLE)))
                continue; // in the table
            answer(a, b);
            ASSERT_EQ(state(), before) << a->type << " with " << b->type;
        }
}

TEST_P(ResponseTable, PickUpsNeedAFreeSlotBlocksCrushBoxesAndABlastHitsOnce) {
    Tank* tank = tankAt(BASE);
    ItemBox* box = add(new ItemBox(BASE + X, &world));
    Item* held[3] = {tank->items[0], tank->items[1], tank->items[2]};
    answer(tank, box); // three items: refused
    EXPECT_TRUE(in(box) && world.itemCount == 1 && tank->itemCount == 3 &&
                tank->items[1] == held[1]);
    delete tank->items[1];
    tank->items[1] = nullptr;
    tank->itemCount = 2;
    answer(tank, box);
    EXPECT_TRUE(!in(box) && world.itemCount == 0 && tank->itemCount == 3 && tank->items[1]);
    EXPECT_TRUE(tank->items[0] == held[0] && tank->items[2] == held[2]);
    ItemBox* crushed = add(new ItemBox(BASE, &world));
    Box* block = add(new Box(BASE, &world, 4, 4, 4));
    answer(crushed, block);
    EXPECT_TRUE(!in(crushed) && in(block) && world.itemCount == 0 && world.validate());
    // A fresh blast (radius 0) reaches the tank's radius, touching included; then 4 s of grace.
    Explosion* beyond = add(new Explosion(BASE + X * (Tank::tankRadius * 1.001f), &world, 8));
    answer(tank, beyond);
    EXPECT_EQ(tank->health, 10);
    answer(tank, add(new Explosion(BASE + X * Tank::tankRadius, &world, 8)));
    EXPECT_EQ(tank->health, 9);
    EXPECT_FLOAT_EQ(tank->stunTime, Tank::STUN_TIME);
    beyond->radius = 1;
    answer(tank, beyond); // in reach now, but within 4 s of the hit
    EXPECT_EQ(tank->health, 9);
}

TEST_P(ResponseTable, ATankAtTenIntoAnyBlockFaceLeavesAtSevenAndOnlyWithinTheTick) {
    Box* block = add(new Box(BASE, &world, 6, 6, 4));
    float reach = 3 + Tank::tankRadius; // the block's half side grown by the tank's
    for (const Vec3f& d : {X, X * -1, Y, Y * -1}) {
        // 0.05 inside at the end of the tick: it touched (10 / 60 - 0.05) / 10 s into it.
        Tank* tank = tankAt(BASE + d * (reach - 0.05f), d * -10);
        answer(tank, block);
        expectVecNear(tank->velocity, d * 7, 1e-4f);
        float touched = (10 * TICK - 0.05f) / 10;
        expectVecNear(tank->position, BASE + d * (reach + 7 * (TICK - touched)), 1e-4f);
        EXPECT_TRUE(tank->validate());
        // Half a unit short at the end of the tick: its path meets the block only in a later
        // tick (the detector reports such a pair when a box is stale).
        Tank* early = tankAt(BASE + d * (reach + 0.5f), d * -10);
        answer(early, block);
        expectVecNear(early->velocity, d * -10);
        expectVecNear(early->position, BASE + d * (reach + 0.5f));
    }
}

TEST_P(ResponseTable, WhatIsInsideABlockLeavesByTheNearestSideAndATankStaysOnItsFace) {
    Box* block = add(new Box(BASE, &world, 6, 6, 4));
    float reach = 3 + Tank::tankRadius;
    // 0.3 in and heading further in: out by that side, bouncing; heading out: just out.
    Tank* in = tankAt(BASE + X * (reach - 0.3f) + Y * 0.5f, X * -2);
    Tank* out = tankAt(BASE + Y * (reach - 0.3f) + X * 0.5f, Y * 2);
    answer(in, block);
    answer(out, block);
    expectVecNear(in->position, BASE + X * reach + Y * 0.5f, 1e-4f);
    expectVecNear(in->velocity, X * 1.4f, 1e-4f);
    expectVecNear(out->position, BASE + Y * reach + X * 0.5f, 1e-4f);
    expectVecNear(out->velocity, Y * 2);
    EXPECT_TRUE(in->validate() && out->validate());
    // Over the face's edge at x = 42 is off the face: out by the nearer of the other sides.
    Box* edge = add(new Box(BASE + X * 40, &world, 6, 6, 4));
    Tank* cornered = tankAt(BASE + X * 41.5f - Y * 0.5f);
    answer(cornered, edge);
    expectVecNear(cornered->position, BASE + X * 41.5f - Y * reach, 1e-4f);
    // A shell just under the top goes out through the top.
    Projectile* shell = add(new Projectile(BASE + UP * 4.2f, UP, &world, 0));
    answer(shell, block);
    expectVecNear(shell->position, BASE + UP * 4.4f, 1e-4f);
}

TEST_P(ResponseTable, OffTheRockSlowTanksHarderAndShellsFromWhereTheTickBegan) {
    Obstacle* rock = nullptr;
    quietly([&] { rock = add(new Obstacle(BASE, &world)); });
    // Moves the mover along its velocity from `from` until its path of a tick touches the rock.
    float tHit = 0;
    Vec3f n;
    auto closeIn = [&](Object& mover, const Vec3f& from, const Vec3f& lift, float radius) {
        for (float s = 0; s < 30; s += 0.02f) {
            Vec3f step = from + mover.velocity * (s / mover.velocity.length()) - mover.position;
            mover.position += step;
            mover.matrix.preMultiply(Matrix4f::translation(step));
            bool hit = false;
            SweptSphere sphere{mover.position, mover.velocity, lift, radius};
            quietly([&] { hit = rock->mesh->findCollision(sphere, TICK, tHit, n); });
            if (hit)
                return true;
        }
        return false;
    };
    for (float speed : {3.0f, 8.0f}) {
        Tank* tank = tankAt(BASE, Vec3f(speed, speed * 0.3f, 0));
        ASSERT_TRUE(
            closeIn(*tank, BASE - Vec3f(14, 4, 0), UP * tank->halfHeight, Tank::tankRadius));
        Vec3f v = tank->velocity, start = tank->position;
        answer(tank, rock);
        n -= UP * n.dot(UP);
        n.normalize();
        // Along the normal reversed and scaled by 1.7, or 2.7 when slow; across it kept.
        EXPECT_NEAR(tank->velocity.dot(n), (speed < 5 ? -1.7f : -0.7f) * v.dot(n), 1e-4f);
        expectVecNear(tank->velocity - n * tank->velocity.dot(n), v - n * v.dot(n), 1e-4f);
        // Back to the contact, then off it for the rest of the tick and half a tick more.
        expectVecNear(tank->position,
                      start + v * (tHit - TICK) + tank->velocity * (1.5f * TICK - tHit), 1e-4f);
        EXPECT_TRUE(tank->validate());
    }
    Projectile* shell = add(new Projectile(BASE + UP * 20, Vec3f(1, 0, -30), &world, 0));
    ASSERT_TRUE(closeIn(*shell, BASE + UP * 20, Vec3f(), shell->radius));
    Vec3f v = shell->velocity, contact = shell->position + v * (tHit - TICK);
    answer(shell, rock);
    Vec3f bounced = v - n * (1.4f * v.dot(n));
    expectVecNear(shell->velocity, bounced, 1e-4f);
    // Off the contact for the rest of the tick: outside the face it touched, not carried on
    // beyond the end of its fall into the rock.
    expectVecNear(shell->position, contact + bounced * (TICK - tHit), 1e-4f);
    EXPECT_GT((shell->position - contact).dot(n), 0);
    // Onto a block's top (46, 46.4 with the radius), entered 0.5 / 36 s into the tick.
    add(new Box(BASE + X * 20, &world, 4, 4, 4));
    Projectile* onTop = add(new Projectile(BASE + X * 20 + UP * 4.3f, Vec3f(5, 0, -36), &world, 0));
    EXPECT_EQ(answer(onTop, world.boxes.back()), "2\np\n");
    Vec3f from = BASE + Vec3f(20 - 5 * TICK, 0, 4.9f), after(5, 0, 14.4f);
    expectVecNear(onTop->velocity, after, 1e-4f);
    expectVecNear(onTop->position,
                  from + Vec3f(5, 0, -36) * (0.5f / 36) + after * (TICK - 0.5f / 36), 1e-4f);
}

} // namespace
