#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <type_traits>

#include "entities/explosion.h"
#include "entities/itembox.h"
#include "entities/projectile.h"
#include "entities/tank.h"
#include "math/randomsource.h"
#include "replay/statehash.h"
#include "replaytesting.h"
#include "world/box.h"
#include "world/world.h"

namespace {

using namespace replaytest;

// The next float up: the smallest change a float can take.
void nudge(float& v) {
    v = std::nextafter(v, INFINITY);
}

template <typename T> T* firstOf(World& world, int type) {
    for (Object* o : world.allObjects)
        if (o->type == type)
            return static_cast<T*>(o);
    return nullptr;
}

// Each part of a busy match's state, changed by the least it can be, changes the hash; put
// back, the hash is back. The parts: the random source, the match and its seats, the world's
// timers and counts, the turn under way, every cubie and the grid, and every kind of object
// with what it carries.
TEST(StateHash, AnyPartOfTheStateChangedByTheLeastItCanBeChangesTheHash) {
    HeadlessMatch m(3, 21);
    for (int t = 0; t < 400; ++t)
        m.tick(t);
    Match& match = *m.match;
    World& world = *match.world;
    quietly([&] {
        world.addObject(new Box(Vec3f(0, 10, 42), &world, 4, 5, 6));
        world.addObject(new Projectile(Vec3f(0, 0, 50), Vec3f(1, 2, 3), &world, ITEM_NUKE));
        world.addObject(new Explosion(Vec3f(0, 0, -42), &world, 8));
        if (!firstOf<ItemBox>(world, ITEM_BOX))
            world.addObject(world.randomItemBox());
    });
    Tank& tank = *m.seats[1]->tank;
    Box& box = *firstOf<Box>(world, BOX);
    auto& shell = *firstOf<Projectile>(world, PROJECTILE);
    auto& blast = *firstOf<Explosion>(world, EXPLOSION);
    auto& itemBox = *firstOf<ItemBox>(world, ITEM_BOX);
    Cube& cubie = *world.cubies[7];

    // A part of the state, changed by `change`; `alter` keeps what it was, to put it back.
    struct Part {
        const char* name;
        std::function<std::function<void()>()> change; // returns the undo
    };
    auto alter = [](const char* name, auto& field, auto change) {
        using T = std::remove_reference_t<decltype(field)>;
        return Part{name, [&field, change] {
                        T saved = field;
                        change(field);
                        return std::function<void()>([&field, saved] { field = saved; });
                    }};
    };
    auto flip = [](bool& b) { b = !b; };
    auto next = [](int& i) { ++i; };
    if (tank.itemCount < Tank::SLOTS)
        tank.addItem(new Item(ITEM_HEALTH));
    Item* item = tank.items[tank.findSlot(0, false)];
    ASSERT_NE(item, nullptr);
    std::vector<Part> parts = {
        alter("round", match.round, next),
        alter("countdown", match.countdown, nudge),
        alter("wins", match.wins[2], next),
        alter("seat alive", m.seats[0]->alive, flip),
        alter("seat won", m.seats[2]->won, flip),
        alter("seat switch latch", m.seats[1]->switchLatch, flip),
        alter("pending turns", world.pendingRandomTurns, next),
        alter("item timer", world.itemTimer, nudge),
        alter("item interval", world.itemInterval, nudge),
        alter("item count", world.itemCount, next),
        alter("turning", world.isRotating, flip),
        alter("turning layer", world.rotatingLayer, next),
        alter("turn axis", world.rotationAxis, next),
        alter("turn direction", world.rotationDirection, next),
        alter("turn elapsed", world.rotationElapsed, nudge),
        alter("cubie matrix", cubie.matrix.at(2, 1), nudge),
        alter("cubie sticker", cubie.faceColors[4], next),
        alter("cubie turning", cubie.rotating, flip),
        alter("grid", world.grid[0], [&](Cube*& c) { c = world.grid[2]; }),
        alter("object order", world.allObjects,
              [](std::vector<Object*>& l) { std::swap(l[0], l[1]); }),
        alter("position", tank.position[0], nudge),
        alter("velocity", shell.velocity[2], nudge),
        alter("up", box.up[1], nudge),
        alter("forward", itemBox.forward[0], nudge),
        alter("face", blast.face, next),
        alter("matrix", tank.matrix.at(3, 0), nudge),
        alter("riding", box.onRotatingLayer, flip),
        alter("tank drive", tank.driveDirection, next),
        alter("tank stun", tank.stunTime, nudge),
        alter("tank invulnerable", tank.invulnerableTime, nudge),
        alter("tank blink", tank.visible, flip),
        alter("tank spin", tank.spinAngle, nudge),
        alter("tank health", tank.health, next),
        alter("tank item count", tank.itemCount, next),
        alter("tank selection", tank.currentItem, next),
        alter("tank item", item->kind, [](ItemKind& k) { k = static_cast<ItemKind>((k + 1) % 5); }),
        alter("tank fire held", tank.fireHeld, flip),
        alter("shell kind", shell.kind, next),
        alter("shell radius", shell.radius, nudge),
        alter("blast radius", blast.radius, nudge),
        alter("blast growing", blast.expanding, flip),
        alter("blast growth", blast.growth, nudge),
        alter("blast time", blast.expandTime, nudge),
        alter("item box spin", itemBox.spinAngle, nudge),
        alter("item box cube turning", itemBox.cube.isRotating, flip),
        alter("item box cube layer", itemBox.cube.rotatingLayer, next),
        alter("item box cube elapsed", itemBox.cube.rotationElapsed, nudge),
        alter("block width", box.width, nudge),
        alter("block depth", box.depth, nudge),
        alter("block height", box.height, nudge),
    };
    const uint64_t before = hashMatchState(match);
    for (const Part& part : parts) {
        std::function<void()> undo = part.change();
        EXPECT_NE(hashMatchState(match), before) << part.name << " is not in the hash";
        undo();
        EXPECT_EQ(hashMatchState(match), before) << part.name << " was not put back";
    }
    // The random source: its draws and its table's place.
    uint64_t h = hashMatchState(match);
    randomSource.randomInt(0, 1);
    EXPECT_NE(hashMatchState(match), h) << "the generator's draws";
    h = hashMatchState(match);
    randomSource.tableNext();
    EXPECT_NE(hashMatchState(match), h) << "the table's index";
}

// Two matches from the same seed and the same inputs hash alike after every tick; another seed
// hashes otherwise from the start.
TEST(StateHash, TwoRunsOfTheSameMatchHashAlikeTickByTick) {
    std::vector<uint64_t> first;
    {
        HeadlessMatch m(4, 77);
        first.push_back(hashMatchState(*m.match));
        for (int t = 0; t < 900; ++t) {
            m.tick(t);
            first.push_back(hashMatchState(*m.match));
        }
    }
    HeadlessMatch again(4, 77);
    EXPECT_EQ(hashMatchState(*again.match), first[0]);
    for (int t = 0; t < 900; ++t) {
        again.tick(t);
        ASSERT_EQ(hashMatchState(*again.match), first[static_cast<size_t>(t) + 1])
            << "after tick " << t + 1;
    }
    HeadlessMatch other(4, 78);
    EXPECT_NE(hashMatchState(*other.match), first[0]);
}

} // namespace
