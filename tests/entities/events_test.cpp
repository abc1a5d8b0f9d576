#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "entities/collisionresponder.h"
#include "entities/explosion.h"
#include "entities/itembox.h"
#include "entities/tank.h"
#include "entitytesting.h"
#include "responsetesting.h"
#include "support/vecexpect.h"

namespace {

using K = WorldEventKind;

class EventTest : public EntityTest {
protected:
    EventTest() {
        world.collisionResponse = [](World& w, std::vector<Collision*>& list, float dt) {
            CollisionResponder(&w).respondAll(list, dt);
        };
    }
    Tank* addTank(const Vec3f& position) {
        Tank* tank = quietlyMade(position);
        world.addObject(tank);
        return tank;
    }
    Tank* quietlyMade(const Vec3f& position) {
        Tank* tank = nullptr;
        quietly([&] { tank = new Tank(position, &world); });
        return tank;
    }
    static void setInventory(Tank* tank, std::initializer_list<int> kinds) {
        int slot = 0;
        tank->itemCount = 0;
        for (int kind : kinds) {
            delete tank->items[slot];
            tank->items[slot] = kind < 0 ? nullptr : new Item(static_cast<ItemKind>(kind));
            tank->itemCount += kind >= 0;
            ++slot;
        }
        tank->currentItem = 0;
    }
    std::vector<WorldEvent> taken() {
        std::vector<WorldEvent> events;
        world.takeEvents(events);
        return events;
    }
    void press(Tank* tank) {
        tank->setFireButton(true);
        tank->setFireButton(false);
    }
    void tick() {
        quietly([&] { world.update(TICK); });
    }
    static Vec3f muzzleOf(const Tank* tank) {
        return tank->position + tank->forward * Tank::muzzleOffset.y() +
               tank->up * Tank::muzzleOffset.z();
    }
};

// Each shot is heard once, at the muzzle, as the button goes down (before the tick that flies
// it); each shell's blast once, in the tick its explosion appears, where it appears, with the
// explosion's size. Nothing else is heard meanwhile.
TEST_F(EventTest, EveryShotOnceAtTheMuzzleAndEveryBlastOnceWhereItsExplosionAppears) {
    Tank* tank = addTank(Vec3f(0, 0, 42));
    setInventory(tank, {ITEM_PROJECTILE, ITEM_TRIPLE_PROJECTILE, ITEM_NUKE});
    taken();
    const K shots[] = {K::SHELL_FIRED, K::TRIPLE_FIRED, K::NUKE_FIRED};
    const int shells[] = {1, 3, 1};
    const float sizes[] = {8, 8, 20};
    for (int s = 0; s < 3; ++s) {
        press(tank);
        std::vector<WorldEvent> events = taken();
        ASSERT_EQ(events.size(), 1u) << s;
        EXPECT_EQ(events[0].kind, shots[s]);
        expectVecNear(events[0].position, muzzleOf(tank), 1e-5f);
        EXPECT_EQ(events[0].face, 4);
        EXPECT_EQ(events[0].object, tank);
        ASSERT_EQ(objectsOfType(world, PROJECTILE).size(), static_cast<size_t>(shells[s]));

        int blasts = 0;
        std::vector<Object*> before = objectsOfType(world, EXPLOSION);
        for (int t = 0; t < 120 && !objectsOfType(world, PROJECTILE).empty(); ++t) {
            tick();
            std::vector<Object*> now = objectsOfType(world, EXPLOSION);
            std::vector<Object*> fresh;
            for (Object* e : now)
                if (std::find(before.begin(), before.end(), e) == before.end())
                    fresh.push_back(e);
            events = taken();
            ASSERT_EQ(events.size(), fresh.size()) << "tick " << t;
            for (size_t i = 0; i < events.size(); ++i) {
                EXPECT_EQ(events[i].kind, K::BLAST);
                expectVecNear(events[i].position, fresh[i]->position, 1e-5f);
                EXPECT_EQ(events[i].face, 4);
                EXPECT_FLOAT_EQ(events[i].size, sizes[s]);
            }
            blasts += static_cast<int>(events.size());
            before = now;
        }
        EXPECT_EQ(blasts, shells[s]) << s;
        EXPECT_TRUE(objectsOfType(world, PROJECTILE).empty());
    }
    press(tank); // an empty inventory fires nothing and says nothing
    EXPECT_TRUE(taken().empty());
}

// A hit is heard once for all the ticks its blast covers the tank; the hit that takes the last
// point is the destruction instead, with the tank's own size-20 blast in the same tick.
TEST_F(EventTest, AHitOnceThenTheDestroyingHitWithItsBlast) {
    Tank* tank = addTank(Vec3f(0, 0, 42));
    tank->health = 2;
    world.addObject(new Explosion(tank->position + Vec3f(1, 0, 0), &world, 8));
    std::vector<WorldEvent> events = taken();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, K::BLAST);
    EXPECT_FLOAT_EQ(events[0].size, 8);

    tick();
    events = taken();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, K::TANK_HIT);
    EXPECT_EQ(events[0].object, tank);
    expectVecNear(events[0].position, tank->position, 1e-5f);
    for (int t = 0; t < 20; ++t) {
        tick();
        EXPECT_TRUE(taken().empty()) << "invulnerable, tick " << t;
    }
    tank->invulnerableTime = 0;
    Vec3f at = tank->position;
    tick();
    events = taken();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, K::TANK_DESTROYED);
    EXPECT_EQ(events[0].object, tank);
    EXPECT_EQ(events[1].kind, K::BLAST);
    expectVecNear(events[1].position, at, 1e-5f);
    EXPECT_FLOAT_EQ(events[1].size, Tank::DEATH_EXPLOSION_SIZE);
    for (int t = 0; t < 20; ++t) {
        tick();
        EXPECT_TRUE(taken().empty());
    }
    delete tank; // out of the world, as a destroyed tank is
}

// A pick-up is heard at the box, once; a full inventory takes nothing and says nothing. Health
// and a random rotation are heard at the tank as they are used, and the turns they queue as
// they start and lock.
TEST_F(EventTest, PickUpHealthAndRandomRotationOnceEach) {
    Tank* tank = addTank(Vec3f(0, 0, 42));
    setInventory(tank, {ITEM_HEALTH, ITEM_RANDOM_ROTATION, -1});
    auto* box = new ItemBox(Vec3f(0.5f, 0, 42), &world);
    world.addObject(box);
    Vec3f boxAt = box->position;
    taken();
    tick();
    std::vector<WorldEvent> events = taken();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, K::ITEM_PICKED_UP);
    expectVecNear(events[0].position, boxAt, 1e-5f);
    EXPECT_EQ(events[0].object, tank);
    EXPECT_EQ(tank->itemCount, 3);

    auto* second = new ItemBox(Vec3f(-0.5f, 0, 42), &world);
    world.addObject(second);
    for (int t = 0; t < 5; ++t) {
        tick();
        EXPECT_TRUE(taken().empty()) << "a full inventory takes nothing";
    }
    ASSERT_EQ(objectsOfType(world, ITEM_BOX).size(), 1u);
    world.removeObject(second); // or the emptied inventory below would take it
    delete second;

    press(tank);
    events = taken();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, K::HEALTH_USED);
    expectVecNear(events[0].position, tank->position, 1e-5f);
    press(tank);
    events = taken();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, K::RANDOM_ROTATION);
    EXPECT_EQ(events[0].object, tank);
    int queued = world.pendingRandomTurns;
    ASSERT_GE(queued, 3);
    int started = 0, locked = 0;
    for (int t = 1; t <= 18 * queued + 5; ++t) {
        tick();
        for (const WorldEvent& e : taken()) {
            if (e.kind == K::LAYER_TURN_STARTED) {
                EXPECT_EQ(t, 1 + 18 * started);
                ++started;
            } else if (e.kind == K::LAYER_TURN_LOCKED) {
                ++locked;
                EXPECT_EQ(t, 1 + 18 * locked);
            } else {
                ADD_FAILURE() << worldEventName(e.kind) << " at tick " << t;
            }
        }
    }
    EXPECT_EQ(started, queued);
    EXPECT_EQ(locked, queued);
}

} // namespace
