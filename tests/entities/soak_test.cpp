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
        Object* a = c->object1;
        Object* b = c->object2;
        if (a->type > b->type)
            std::swap(a, b);
        if (a->type != TANK)
            continue;
        Tank* tank = static_cast<Tank*>(a);
        if (b->type == EXPLOSION) {
            float reach = Tank::tankRadius + static_cast<Explosion*>(b)->getRadius();
            if (compareLength(b->position - tank->position, reach) < 1)
                tank->hit();
        } else if (b->type == ITEM_BOX && tank->itemCount < Tank::SLOTS &&
                   world.collisionDetector.isRegistered(b)) {
            tank->addItem(randomItem());
            world.discard(b);
        }
    }
}

// Drives every live tank like a restless player, one tick.
void playRandomly(Tank* tank) {
    if (tank->getHealth() <= 0)
        return;
    if (randomSource.randomInt(0, 59) == 0)
        tank->setDrive(randomSource.randomInt(0, 2));
    tank->turn(randomSource.randomFloat(-1, 1) * TICK);
    tank->setFireButton(randomSource.randomInt(0, 9) == 0);
    if (randomSource.randomInt(0, 89) == 0)
        tank->nextItem();
    if (randomSource.randomInt(0, 1199) == 0)
        tank->rotateLayer(randomSource.randomInt(0, 2), randomSource.randomInt(0, 1) == 1);
    // The developer keys' free items, now and then, so that shells keep flying.
    if (tank->itemCount < Tank::SLOTS && randomSource.randomInt(0, 119) == 0)
        tank->addItem(new Item(static_cast<ItemKind>(randomSource.randomInt(0, 2))));
}

// Ticks of life in which the world moved objects (a layer turn freezes them), per live object
// of one type. An object that ends may be followed at once by a new one at its address: an
// explosion is new when its growth exceeds the last seen, which only ever falls.
struct Ages {
    struct Track {
        int ticks;
        float growth;
    };
    // Returns the longest life among those that ended this tick.
    int update(const World& world, int type, bool moved) {
        std::map<Object*, Track> now;
        int longestEnded = 0;
        for (Object* object : objectsOfType(world, type)) {
            float growth = type == EXPLOSION ? static_cast<Explosion*>(object)->growth : 0;
            auto known = tracks.find(object);
            bool fresh = known == tracks.end() || growth > known->second.growth;
            if (fresh && known != tracks.end())
                longestEnded = std::max(longestEnded, known->second.ticks);
            now[object] = {fresh ? moved : known->second.ticks + moved, growth};
            born += fresh;
        }
        for (const auto& entry : tracks)
            if (!now.count(entry.first))
                longestEnded = std::max(longestEnded, entry.second.ticks);
        tracks.swap(now);
        return longestEnded;
    }
    std::map<Object*, Track> tracks;
    int born = 0;
};

struct SoakStats {
    Ages shells, blasts;
    int longestShell = 0, longestBlast = 0, matches = 0, deaths = 0;
    size_t mostObjects = 0;
};

// Checks one tick's aftermath: lifetimes, the object count, tanks inside their face squares.
void check(const World& world, const std::vector<Tank*>& tanks, SoakStats& stats, bool moved) {
    stats.longestShell =
        std::max(stats.longestShell, stats.shells.update(world, PROJECTILE, moved));
    stats.longestBlast = std::max(stats.longestBlast, stats.blasts.update(world, EXPLOSION, moved));
    for (const auto& entry : stats.shells.tracks)
        ASSERT_LE(entry.second.ticks, 5 * 60) << "a shell flies on";
    for (const auto& entry : stats.blasts.tracks)
        ASSERT_LE(entry.second.ticks, 90) << "an explosion goes on";
    stats.mostObjects = std::max(stats.mostObjects, world.allObjects.size());
    ASSERT_LE(world.allObjects.size(), 80u);
    for (const Tank* tank : tanks) {
        ASSERT_NEAR(tank->position.dot(tank->up), 42, 1e-2f);
        // Never over an edge: inside the square of whatever face it stands on.
        Vec3f local = toFaceLocal(tank->position, faceOf(tank->up));
        // A turn leaves its riders rounded to within a hair of where they belong.
        ASSERT_TRUE(world.isRotating ||
                    std::max(std::fabs(local.x()), std::fabs(local.y())) < 42 + 1e-3f);
    }
}

// One match of six tanks until at most one is left and 30 s have passed, as the game plays it,
// or until `endTick`.
void playMatch(int& tick, int endTick, SoakStats& stats) {
    World world(3, 28);
    world.collisionResponse = respond;
    std::vector<Tank*> tanks;
    testing::internal::CaptureStdout(); // the tanks' position lines
    for (int face = 0; face < 6; ++face)
        tanks.push_back(world.addTank(face));
    testing::internal::GetCapturedStdout();
    stats.shells.tracks.clear();
    stats.blasts.tracks.clear();
    ++stats.matches;
    int alive = 6;
    for (float countdown = 30; countdown > 0 && tick < endTick; ++tick) {
        for (Tank* tank : tanks)
            playRandomly(tank);
        bool moved = !world.isRotating;
        world.update(TICK);
        check(world, tanks, stats, moved);
        if (testing::Test::HasFatalFailure())
            return;
        alive = static_cast<int>(std::count_if(tanks.begin(), tanks.end(),
                                               [](const Tank* t) { return t->getHealth() > 0; }));
        countdown -= alive <= 1 ? TICK : 0;
        if (tick % 60 == 0) {
            ASSERT_TRUE(world.validate()) << tick;
            for (Tank* tank : tanks)
                ASSERT_TRUE(tank->validate()) << tick;
        }
    }
    stats.deaths += 6 - alive;
}

TEST(EntitySoak, SixTanksPlayTwentyMinutes) {
    installEntityHooks();
    randomSource.seed(2024);
    SoakStats stats;
    for (int tick = 0; tick < 20 * 60 * 60 && !HasFatalFailure();)
        playMatch(tick, 20 * 60 * 60, stats);
    printf("soak: %d matches, %d tanks destroyed, %d shells, %d explosions, longest flight %d "
           "ticks, longest blast %d ticks, at most %zu objects\n",
           stats.matches, stats.deaths, stats.shells.born, stats.blasts.born, stats.longestShell,
           stats.longestBlast, stats.mostObjects);
    EXPECT_GT(stats.shells.born, 3000);
    EXPECT_GT(stats.blasts.born, 3000);
    EXPECT_GT(stats.deaths, 6);
    // Every blast came from a landed shell or a destroyed tank; a match may end with a few
    // shells still in the air.
    EXPECT_LE(stats.blasts.born, stats.shells.born + stats.deaths);
    EXPECT_GE(stats.blasts.born, stats.shells.born + stats.deaths - 10 * stats.matches);
}

} // namespace
