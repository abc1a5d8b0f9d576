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

const Vec3f BASE(0, 0, 42); // the centre of face 4, where every scene stands
const Vec3f UP(0, 0, 1);

// Every case runs twice: with the pair as the detector might report it, and swapped.
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
    bool inWorld(const Object* o) const { return world.collisionDetector.isRegistered(o); }
};
INSTANTIATE_TEST_SUITE_P(BothOrders, ResponseTable, testing::Bool());

TEST_P(ResponseTable, PairsOutsideTheTableChangeNothing) {
    std::vector<Object*> all; // two of each type, all in one heap
    quietly([&] {
        for (float x : {0.0f, 0.5f}) {
            Vec3f at = BASE + Vec3f(x, 0, 0);
            all.push_back(tankAt(at, Vec3f(10, 0, 0)));
            all.push_back(add(new ItemBox(at, &world)));
            all.push_back(add(new Projectile(at + UP, Vec3f(0, 10, 5), &world, ITEM_PROJECTILE)));
            all.push_back(add(new Box(at - Vec3f(4, 0, 0), &world, 4, 4, 4)));
            all.push_back(add(new Obstacle(at, &world)));
            all.push_back(add(new Explosion(at, &world, 8)));
        }
    });
    auto state = [&] {
        std::vector<float> s;
        for (const Object* o : all) {
            s.insert(s.end(), {o->position.x(), o->position.y(), o->velocity.x(), o->velocity.y(),
                               float(inWorld(o))});
            if (o->type == TANK)
                s.insert(s.end(), {float(static_cast<const Tank*>(o)->health),
                                   float(static_cast<const Tank*>(o)->itemCount)});
        }
        return s;
    };
    auto answered = [](int a, int b) {
        int low = std::min(a, b), high = std::max(a, b);
        return (low == TANK && high != TANK && high != PROJECTILE) ||
               (low == ITEM_BOX && high == BOX) ||
               (low == PROJECTILE && (high == BOX || high == OBSTACLE));
    };
    const std::vector<float> before = state();
    for (Object* a : all)
        for (Object* b : all)
            if (a != b && !answered(a->type, b->type)) {
                answer(a, b);
                ASSERT_EQ(state(), before) << a->type << " with " << b->type;
            }
}

TEST_P(ResponseTable, APickUpNeedsAFreeSlotAndABlockCrushesAnItemBox) {
    Tank* tank = tankAt(BASE);
    ItemBox* box = add(new ItemBox(BASE + Vec3f(1, 0, 0), &world));
    Item* held[3] = {tank->items[0], tank->items[1], tank->items[2]};
    answer(tank, box);
    EXPECT_TRUE(inWorld(box) && world.itemCount == 1 && tank->itemCount == 3);
    EXPECT_TRUE(tank->items[0] == held[0] && tank->items[1] == held[1] &&
                tank->items[2] == held[2]);
    delete tank->items[1];
    tank->items[1] = nullptr;
    tank->itemCount = 2;
    answer(tank, box);
    EXPECT_TRUE(!inWorld(box) && world.itemCount == 0 && tank->itemCount == 3);
    EXPECT_TRUE(tank->items[1] && tank->items[0] == held[0] && tank->items[2] == held[2]);
    ItemBox* crushed = add(new ItemBox(BASE, &world));
    Box* block = add(new Box(BASE, &world, 4, 4, 4));
    answer(crushed, block);
    EXPECT_TRUE(!inWorld(crushed) && inWorld(block) && world.itemCount == 0);
    EXPECT_TRUE(world.validate());
}

TEST_P(ResponseTable, ABlastHitsATankItReachesOnce) {
    Tank* tank = tankAt(BASE);
    // Fresh blasts have radius 0: the reach is the tank's radius alone, and touching counts.
    Explosion* beyond =
        add(new Explosion(BASE + Vec3f(Tank::tankRadius * 1.001f, 0, 0), &world, 8));
    Explosion* touching = add(new Explosion(BASE + Vec3f(Tank::tankRadius, 0, 0), &world, 8));
    answer(tank, beyond);
    EXPECT_EQ(tank->health, 10);
    answer(tank, touching);
    EXPECT_EQ(tank->health, 9);
    EXPECT_FLOAT_EQ(tank->stunTime, Tank::STUN_TIME);
    beyond->radius = 1;
    answer(tank, beyond); // within reach now, but within the 4 s after a hit
    EXPECT_EQ(tank->health, 9);
}

TEST_P(ResponseTable, ATankAtTenIntoAnyBlockFaceLeavesAtSevenAndOnlyWithinTheTick) {
    Box* block = add(new Box(BASE, &world, 6, 6, 4));
    float reach = 3 + Tank::tankRadius; // the block's half side grown by the tank's
    for (const Vec3f& d : {Vec3f(1, 0, 0), Vec3f(-1, 0, 0), Vec3f(0, 1, 0), Vec3f(0, -1, 0)}) {
        // 0.05 inside at the end of the tick: it touched (10 / 60 - 0.05) / 10 s into it.
        Tank* tank = tankAt(BASE + d * (reach - 0.05f), d * -10);
        answer(tank, block);
        expectVecNear(tank->velocity, d * 7, 1e-4f);
        float touched = (10 * TICK - 0.05f) / 10;
        expectVecNear(tank->position, BASE + d * (reach + 7 * (TICK - touched)), 1e-4f);
        EXPECT_TRUE(tank->validate());
        // Heading for the block but half a unit short of it at the end of the tick: the path
        // meets it only in a later tick (the detector reports such a pair when a box is stale).
        Tank* early = tankAt(BASE + d * (reach + 0.5f), d * -10);
        answer(early, block);
        expectVecNear(early->velocity, d * -10);
        expectVecNear(early->position, BASE + d * (reach + 0.5f));
    }
}

TEST_P(ResponseTable, WhatIsLeftInsideABlockLeavesByTheNearestSideAndATankStaysOnItsFace) {
    Box* block = add(new Box(BASE, &world, 6, 6, 4));
    float reach = 3 + Tank::tankRadius;
    // 0.3 in at the +x side and still heading in: out there, bouncing; heading out: just out.
    Tank* in = tankAt(BASE + Vec3f(reach - 0.3f, 0.5f, 0), Vec3f(-2, 0, 0));
    answer(in, block);
    expectVecNear(in->position, BASE + Vec3f(reach, 0.5f, 0), 1e-4f);
    expectVecNear(in->velocity, Vec3f(1.4f, 0, 0), 1e-4f);
    Tank* out = tankAt(BASE + Vec3f(0.5f, reach - 0.3f, 0), Vec3f(0, 2, 0));
    answer(out, block);
    expectVecNear(out->position, BASE + Vec3f(0.5f, reach, 0), 1e-4f);
    expectVecNear(out->velocity, Vec3f(0, 2, 0));
    EXPECT_TRUE(in->validate() && out->validate());
    // A block hanging over the face's edge at x = 42: not out that way, off the face, but by
    // the nearer of the sides that keep the tank on it (not the far -x side).
    Box* edge = add(new Box(BASE + Vec3f(40, 0, 0), &world, 6, 6, 4));
    Tank* cornered = tankAt(BASE + Vec3f(41.5f, -0.5f, 0));
    answer(cornered, edge);
    expectVecNear(cornered->position, BASE + Vec3f(41.5f, -reach, 0), 1e-4f);
    // A shell just under the top goes out through the top.
    Projectile* shell = add(new Projectile(BASE + Vec3f(1, 1, 4.2f), Vec3f(0, 0, 1), &world, 0));
    answer(shell, block);
    expectVecNear(shell->position, BASE + Vec3f(1, 1, 4.4f), 1e-4f);
}

// Steps a mover towards the rock along its velocity until the path of one tick touches it.
template <typename Hit> float closeIn(Object& mover, const Vec3f& from, Hit hit) {
    for (float s = 0; s < 30; s += 0.02f) {
        Vec3f step = from + mover.velocity * (s / mover.velocity.length()) - mover.position;
        mover.position += step;
        mover.matrix.preMultiply(Matrix4f::translation(step));
        if (hit())
            return s;
    }
    return -1;
}

TEST_P(ResponseTable, TanksAreThrownOffTheRockInTheFacePlaneSlowOnesHarder) {
    Obstacle* rock = nullptr;
    quietly([&] { rock = add(new Obstacle(BASE, &world)); });
    for (float speed : {3.0f, 8.0f}) {
        Tank* tank = tankAt(BASE, Vec3f(speed, speed * 0.3f, 0));
        float tHit = 0;
        Vec3f n;
        SweptSphere sphere;
        auto touches = [&] {
            sphere = {tank->position, tank->velocity, UP * tank->halfHeight, Tank::tankRadius};
            bool hit = false;
            quietly([&] { hit = rock->mesh->findCollision(sphere, TICK, tHit, n); });
            return hit;
        };
        ASSERT_GE(closeIn(*tank, BASE - Vec3f(14, 4, 0), touches), 0);
        Vec3f v = tank->velocity, start = tank->position;
        answer(tank, rock);
        n -= UP * n.dot(UP);
        n.normalize();
        float k = speed < 5 ? 2.7f : 1.7f;
        // The part along the normal is reversed and scaled, the rest kept, all in the face plane.
        EXPECT_NEAR(tank->velocity.dot(n), (1 - k) * v.dot(n), 1e-4f);
        expectVecNear(tank->velocity - n * tank->velocity.dot(n), v - n * v.dot(n), 1e-4f);
        EXPECT_LT(v.dot(n), 0);
        Vec3f delta = v * (tHit - TICK) + tank->velocity * (1.5f * TICK - tHit);
        expectVecNear(tank->position, start + delta, 1e-4f);
        EXPECT_TRUE(tank->validate());
    }
}

TEST_P(ResponseTable, ShellsBounceOffBlockAndRockFromWhereTheTickBegan) {
    Box* block = add(new Box(BASE + Vec3f(20, 0, 0), &world, 4, 4, 4));
    // Onto the top, 46 + 0.4 with the radius, entered 0.5 / 36 s into the tick's 0.6 down.
    Projectile* shell = add(new Projectile(BASE + Vec3f(20, 0, 4.3f), Vec3f(5, 0, -36), &world, 0));
    EXPECT_EQ(answer(shell, block), "2\np\n");
    expectVecNear(shell->velocity, Vec3f(5, 0, 14.4f), 1e-4f);
    Vec3f start = BASE + Vec3f(20 - 5 * TICK, 0, 4.9f);
    expectVecNear(shell->position,
                  start + Vec3f(5, 0, -36) * (0.5f / 36) + Vec3f(5, 0, 14.4f) * (TICK - 0.5f / 36),
                  1e-4f);

    Obstacle* rock = nullptr;
    quietly([&] { rock = add(new Obstacle(BASE, &world)); });
    Projectile* dropped = add(new Projectile(BASE + UP * 20, Vec3f(1, 0, -30), &world, 0));
    float tHit = 0;
    Vec3f n;
    auto touches = [&] {
        SweptSphere sphere{dropped->position, dropped->velocity, Vec3f(), dropped->radius};
        bool hit = false;
        quietly([&] { hit = rock->mesh->findCollision(sphere, TICK, tHit, n); });
        return hit;
    };
    ASSERT_GE(closeIn(*dropped, BASE + UP * 20, touches), 0);
    Vec3f v = dropped->velocity, from = dropped->position - v * TICK;
    answer(dropped, rock);
    Vec3f bounced = v - n * (1.4f * v.dot(n));
    expectVecNear(dropped->velocity, bounced, 1e-4f);
    // From the contact on the way down, off it for the rest of the tick: outside the touched
    // face, not beyond the end of the fall inside the rock.
    Vec3f contact = from + v * tHit;
    expectVecNear(dropped->position, contact + bounced * (TICK - tHit), 1e-4f);
    EXPECT_GT((dropped->position - contact).dot(n), 0);
}

} // namespace
