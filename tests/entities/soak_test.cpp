#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "collision/raybox.h"
#include "entities/entityhooks.h"
#include "entities/explosion.h"
#include "entities/tank.h"
#include "entitytesting.h"
#include "math/faces.h"
#include "math/randomsource.h"

namespace {

// Stands in for the game's collision response, enough for the entities to meet: a blast hits the
// tanks it reaches, a tank with a free slot takes an item box.
void respond(World& world, std::vector<Collision*>& collisions, float) {
    for (Collision* c : collisions) {
        Object* a = std::min(c->object1, c->object2,
                             [](Object* x, Object* y) { return x->type < y->type; });
        Object* b = a == c->object1 ? c->object2 : c->object1;
        if (a->type != TANK)
            continue;
        Tank* tank = static_cast<Tank*>(a);
        if (b->type == EXPLOSION &&
            compareLength(b->position - a->position,
                          Tank::tankRadius + static_cast<Explosion*>(b)->radius) < 1)
            tank->hit();
        if (b->type == ITEM_BOX && tank->itemCount < 3 && world.collisionDetector.isRegistered(b) &&
            tank->addItem(randomItem()))
            world.discard(b);
    }
}

// A restless player, one tick; and the developer keys' free shells now and then.
void playRandomly(Tank* tank) {
    if (randomSource.randomInt(0, 59) == 0)
        tank->setDrive(randomSource.randomInt(0, 2));
    tank->turn(randomSource.randomFloat(-1, 1) * TICK);
    tank->setFireButton(randomSource.randomInt(0, 9) == 0);
    if (randomSource.randomInt(0, 89) == 0)
        tank->nextItem();
    if (randomSource.randomInt(0, 1199) == 0)
        tank->rotateLayer(randomSource.randomInt(0, 2), randomSource.randomInt(0, 1) == 1);
    if (tank->itemCount < 3 && randomSource.randomInt(0, 119) == 0)
        tank->addItem(new Item(static_cast<ItemKind>(randomSource.randomInt(0, 2))));
}

struct Soak {
    // Ticks lived, counting only ticks in which the world moved objects, per object of one type.
    // An explosion that ends may be followed by a new one at its address within one tick: it is
    // new when its growth exceeds the last seen, which only ever falls.
    struct Ages {
        std::map<Object*, std::pair<int, float>> lived; // ticks, growth
        int born = 0;
        void update(const std::vector<Object*>& now, bool moved, int limit) {
            std::map<Object*, std::pair<int, float>> next;
            for (Object* o : now) {
                float growth = o->type == EXPLOSION ? static_cast<Explosion*>(o)->growth : 0;
                auto seen = lived.find(o);
                bool fresh = seen == lived.end() || growth > seen->second.second;
                next[o] = {(fresh ? 0 : seen->second.first) + moved, growth};
                born += fresh;
                ASSERT_LE(next[o].first, limit) << "type " << o->type << " lives on";
            }
            lived.swap(next);
        }
    } shells, blasts;
    int matches = 0, deaths = 0, tick = 0;
    size_t mostObjects = 0;

    // Six tanks until at most one is left and 30 s have passed, as the game plays a match, or
    // until the time is up.
    void playMatch(int endTick) {
        World world(3, 28);
        world.collisionResponse = respond;
        std::vector<Tank*> tanks;
        testing::internal::CaptureStdout(); // the tanks' position lines
        for (int face = 0; face < 6; ++face)
            tanks.push_back(world.addTank(face));
        testing::internal::GetCapturedStdout();
        shells.lived.clear();
        blasts.lived.clear();
        ++matches;
        auto alive = [&tanks] {
            return std::count_if(tanks.begin(), tanks.end(), [](Tank* t) { return t->health > 0; });
        };
        for (float countdown = 30; countdown > 0 && tick < endTick; ++tick) {
            for (Tank* tank : tanks)
                if (tank->health > 0)
                    playRandomly(tank);
            bool moved = !world.isRotating;
            world.update(TICK);
            countdown -= alive() <= 1 ? TICK : 0;
            checkTick(world, tanks, moved);
            if (testing::Test::HasFatalFailure())
                return;
        }
        deaths += 6 - static_cast<int>(alive());
    }

    void checkTick(const World& world, const std::vector<Tank*>& tanks, bool moved) {
        shells.update(objectsOfType(world, PROJECTILE), moved, 5 * 60);
        blasts.update(objectsOfType(world, EXPLOSION), moved, 90);
        mostObjects = std::max(mostObjects, world.allObjects.size());
        ASSERT_LE(world.allObjects.size(), 80u);
        for (const Tank* tank : tanks) {
            // Never over an edge: inside the square of its face, give or take a turn's rounding.
            Vec3f local = toFaceLocal(tank->position, faceOf(tank->up));
            ASSERT_TRUE(world.isRotating ||
                        std::max(std::fabs(local.x()), std::fabs(local.y())) < 42 + 1e-3f);
            ASSERT_NEAR(tank->position.dot(tank->up), 42, 1e-2f);
            ASSERT_TRUE(tick % 60 || tank->validate());
        }
        ASSERT_TRUE(tick % 60 || world.validate());
    }
};

TEST(EntitySoak, SixTanksPlayTwentyMinutes) {
    installEntityHooks();
    randomSource.seed(2024);
    Soak soak;
    while (soak.tick < 20 * 60 * 60 && !HasFatalFailure())
        soak.playMatch(20 * 60 * 60);
    printf("soak: %d matches, %d tanks destroyed, %d shells, %d explosions, at most %zu objects\n",
           soak.matches, soak.deaths, soak.shells.born, soak.blasts.born, soak.mostObjects);
    EXPECT_GT(soak.shells.born, 3000);
    EXPECT_GT(soak.deaths, 6);
    // Every blast came from a landed shell or a destroyed tank; a match may end with a few
    // shells in the air.
    EXPECT_LE(soak.blasts.born, soak.shells.born + soak.deaths);
    EXPECT_GE(soak.blasts.born, soak.shells.born + soak.deaths - 10 * soak.matches);
}

} // namespace
