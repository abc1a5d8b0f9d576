#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include "entities/collisionresponder.h"
#include "entities/entityhooks.h"
#include "entities/explosion.h"
#include "entities/projectile.h"
#include "entities/tank.h"
#include "entitytesting.h"
#include "math/constants.h"
#include "math/faces.h"
#include "math/randomsource.h"
#include "responsetesting.h"
#include "world/box.h"
#include "world/obstacle.h"

namespace {

// A world with the game's tanks, item boxes (counted) and collision response.
struct Match {
    Match() {
        installEntityHooks();
        installCollisionResponse();
        world = std::make_unique<World>(3, 28);
        world->itemBoxMaker = [this](World& w) -> Object* {
            ++made;
            return new CountedItemBox(w.randomFacePosition(1.75f, 1.75f), &w, deleted);
        };
    }
    int made = 0, deleted = 0;    // item boxes
    std::unique_ptr<World> world; // after the counters it deletes boxes into
};

TEST(ResponsePass, OneBoxGivesOneItemADestroyedTankNoneAndTakenBoxesGoAfterThePass) {
    int deleted = 0, deletedInPass = -1;
    Match m;
    World& world = *m.world;
    std::vector<Tank*> tanks;
    quietly([&] {
        tanks = {world.addTank(4), new Tank(Vec3f(0.5f, 0, 42), &world), world.addTank(5)};
    });
    world.addObject(tanks[1]);
    for (Tank* tank : tanks) {
        delete tank->items[0];
        tank->items[0] = nullptr;
        tank->itemCount = 2;
    }
    world.addObject(new CountedItemBox(tanks[0]->position, &world, deleted)); // under two tanks
    // A tank with one point left under a blast, then on a box: the blast's record comes first.
    tanks[2]->health = 1;
    world.addObject(new Explosion(tanks[2]->position, &world, 8));
    world.addObject(new CountedItemBox(tanks[2]->position, &world, deleted));
    world.addObject(new Box(Vec3f(20, 20, 42), &world, 6, 6, 4)); // on a box
    world.addObject(new CountedItemBox(Vec3f(20, 20, 42), &world, deleted));
    auto respond = world.collisionResponse;
    world.collisionResponse = [&](World& w, std::vector<Collision*>& list, float dt) {
        respond(w, list, dt);
        deletedInPass = deleted;
    };
    quietly([&] { world.update(TICK); });
    EXPECT_EQ(tanks[0]->itemCount + tanks[1]->itemCount, 5);
    EXPECT_TRUE(tanks[2]->health == 0 && tanks[2]->itemCount == 2 && world.itemCount == 1);
    EXPECT_EQ(deletedInPass, 0); // later records of the pass may still name them
    EXPECT_EQ(deleted, 2);       // the picked-up and the crushed box
    EXPECT_TRUE(world.validate());
}

// Whether the point lies inside the rock: a ray from it crosses the closed mesh an odd number
// of times. Brute force over the triangles, in the mesh's own frame.
bool insideRock(const Obstacle& rock, const Vec3f& point) {
    const HierarchicalObject& mesh = *rock.mesh;
    Vec3f p = point;
    (mesh.inverseInitRotation * mesh.translation * mesh.rotation.transpose()).transformPoint(p);
    const Vec3f d(0.0123f, 0.0311f, 1); // off the axes, so it meets no edge head on
    int crossings = 0;
    for (size_t i = 0; i + 2 < mesh.vertices.size(); i += 3) {
        Vec3f a = mesh.vertices[i], e1 = mesh.vertices[i + 1] - a, e2 = mesh.vertices[i + 2] - a;
        Vec3f q = cross(d, e2), s = p - a, r = cross(s, e1);
        float det = e1.dot(q);
        float u = s.dot(q) / det, v = d.dot(r) / det;
        crossings +=
            std::fabs(det) > 1e-12f && u >= 0 && v >= 0 && u + v <= 1 && e2.dot(r) / det > 0;
    }
    return crossings % 2 == 1;
}

// How far the point lies inside the object's box grown by `grow` (negative: outside).
float depthIn(const Object& o, const Vec3f& point, const Vec3f& grow = Vec3f()) {
    const float* b = o.boundingBox.getIntervals();
    float depth = 1e9f;
    for (int i = 0; i < 3; ++i)
        depth = std::fmin(depth, std::fmin(point[i] - b[2 * i], b[2 * i + 1] - point[i]) + grow[i]);
    return depth;
}

TEST(RockShots, ShellsFiredAtARockFromAllRoundBounceOffItAndLand) {
    Match m;
    World& world = *m.world;
    int inside = 0, bounced = 0, stayed = 0;
    {
        MutedStdout muted;
        Obstacle* rock = new Obstacle(Vec3f(0, 0, 42), &world);
        world.addObject(rock);
        for (int a = 0; a < 72; ++a)
            for (float rise : {5.0f, 15.0f, 26.7f}) { // low, middling, and the tanks' own
                Vec3f heading(std::cos(a * 5 * PI / 180), std::sin(a * 5 * PI / 180), 0);
                world.addObject(new Projectile(Vec3f(0, 0, 43) - heading * 18,
                                               heading * 44 + Vec3f(0, 0, rise), &world, 0));
                bool turned = false;
                for (int tick = 0; tick < 300 && !objectsOfType(world, PROJECTILE).empty();
                     ++tick) {
                    world.update(TICK);
                    for (Object* shell : objectsOfType(world, PROJECTILE)) {
                        inside += insideRock(*rock, shell->position);
                        turned = turned || shell->velocity.dot(heading) < 0;
                    }
                }
                bounced += turned;
                for (Object* shell : objectsOfType(world, PROJECTILE)) {
                    ++stayed;
                    world.removeObject(shell);
                    delete shell;
                }
            }
        // Skimming the rock of face 0 fast enough that the bounce off one of its faces sends it
        // through another within the tick: it bounces off that one too.
        Obstacle* skimmed = new Obstacle(Vec3f(42, 0, 20), &world);
        world.addObject(skimmed);
        world.addObject(new Projectile(Vec3f(45.045f, -1.264f, 16.314f),
                                       Vec3f(27.798f, 37.157f, 53.021f), &world, 0));
        world.update(TICK);
        inside += insideRock(*skimmed, objectsOfType(world, PROJECTILE).at(0)->position);
    }
    EXPECT_EQ(inside, 0);   // ticks a shell ended inside a rock
    EXPECT_EQ(stayed, 0);   // shells still up after five seconds
    EXPECT_GT(bounced, 72); // shells sent back the way they came
}

// Forty blocks and the six rocks where the game's developer key puts them; twelve tanks that
// drive at full speed at one of them after another, firing when they face it. The six first
// make for the item boxes instead while there are any, firing all the while to make room.
TEST(Tunnelling, TanksAtFullSpeedNeverEndInsideABlockOrRockAndShellsBounceAndLand) {
    Match m;
    World& world = *m.world;
    std::vector<Object*> blocks, rocks;
    std::vector<Tank*> tanks;
    std::ostringstream fault;
    int bounces[2] = {}, landed = 0; // of tanks, of shells
    randomSource.seed(31);
    std::optional<MutedStdout> muted;
    muted.emplace();
    float h = world.halfExtent();
    for (const Vec3f& place : {Vec3f(10, h, 20), Vec3f(10, -h, 20), Vec3f(-h, 0, 20),
                               Vec3f(h, 0, 20), Vec3f(10, 0, -h), Vec3f(10, 0, h)})
        world.addObject(rocks.emplace_back(new Obstacle(place, &world)));
    // Blocks clear of the rocks, of each other and of the face centres, tanks clear of both.
    auto clear = [&](const Object& o, float gap) {
        Vec3f half;
        o.boundingBox.getHalfLengths(half);
        for (const std::vector<Object*>* list : {&blocks, &rocks})
            for (const Object* other : *list)
                if (depthIn(*other, o.boundingBox.position, half + Vec3f(gap, gap, gap)) > 0)
                    return false;
        return true;
    };
    while (blocks.size() < 40) {
        auto size = [] { return randomSource.randomFloat(2, 10); };
        Box* block = new Box(world.randomFacePosition(4, 4), &world, size(), size(), size());
        if (clear(*block, 0) && depthIn(*block, faceNormal(block->face) * h, Vec3f(3, 3, 3)) < 0)
            world.addObject(blocks.emplace_back(block));
        else
            delete block;
    }
    for (int face = 0; face < 6; ++face)
        tanks.push_back(world.addTank(face));
    while (tanks.size() < 12) {
        Tank* tank = new Tank(world.randomFacePosition(3, 3), &world);
        if (clear(*tank, 1))
            world.addObject(tanks.emplace_back(tank));
        else
            delete tank;
    }
    std::vector<Object*> targets(tanks.size());
    auto steer = [&](size_t i, int tick) {
        Tank& tank = *tanks[i];
        tank.invulnerableTime = 10; // blasts would stun it and stop it driving
        Object*& target = targets[i];
        if (tick % 150 == 0 || !target || !world.collisionDetector.isRegistered(target) ||
            target->face != tank.face) {
            std::vector<Object*> near[2]; // blocks and rocks, item boxes
            for (const std::vector<Object*>* list : {&blocks, &world.movables})
                for (Object* o : *list)
                    if (o->face == tank.face &&
                        (o->type == BOX || o->type == OBSTACLE || (o->type == ITEM_BOX && i < 6)))
                        near[o->type == ITEM_BOX].push_back(o);
            std::vector<Object*>& from = near[!near[1].empty()];
            target = from.empty() ? nullptr : from[randomSource.randomInt(0, int(from.size()) - 1)];
        }
        tank.setDrive(1);
        if (tank.itemCount == 0) // so that there is mostly room for an item
            tank.addItem(new Item(ITEM_PROJECTILE));
        if (!target)
            return;
        Vec3f to = target->position - tank.position;
        float angle = std::atan2(cross(tank.forward, to).dot(tank.up), tank.forward.dot(to));
        tank.turn(std::fmax(-TICK, std::fmin(TICK, -angle / tank.turnRate)));
        tank.setFireButton(tick % 20 == 0 && (i < 6 || std::fabs(angle) < 0.2f));
    };
    auto inside = [&](int tick, const Object& o) {
        bool isTank = o.type == TANK;
        Vec3f half;
        o.boundingBox.getHalfLengths(half);
        Vec3f centre = isTank ? o.position + o.up * half[faceAxis(o.face)] : o.position;
        for (const Object* block : blocks)
            if (depthIn(*block, centre, isTank ? half : Vec3f()) > 0.01f)
                fault << "tick " << tick << ": a " << (isTank ? "tank" : "shell")
                      << " in a block\n";
        for (const Object* rock : rocks)
            if (depthIn(*rock, centre) > 0 &&
                insideRock(static_cast<const Obstacle&>(*rock), centre))
                fault << "tick " << tick << ": a " << (isTank ? "tank" : "shell") << " in a rock\n";
    };
    auto respond = world.collisionResponse;
    world.collisionResponse = [&](World& w, std::vector<Collision*>& list, float dt) {
        std::vector<std::pair<Object*, Vec3f>> before;
        for (Object* o : w.movables)
            if (o->type == TANK || o->type == PROJECTILE)
                before.push_back({o, o->velocity});
        respond(w, list, dt);
        for (auto& [o, v] : before)
            bounces[o->type == PROJECTILE] += (o->velocity - v).length() > 1e-3f;
    };
    // Two thousand ticks of driving, then until the last shell is down.
    for (int tick = 0; tick < 2000 || (tick < 2600 && !objectsOfType(world, PROJECTILE).empty());
         ++tick) {
        for (size_t i = 0; i < tanks.size(); ++i)
            tick < 2000 ? steer(i, tick) : tanks[i]->setDrive(0);
        size_t before = objectsOfType(world, PROJECTILE).size();
        bool collides = !world.isRotating; // the tick that ends a turn collides nothing
        world.update(TICK);
        landed += int(before) - int(objectsOfType(world, PROJECTILE).size());
        // Mid-turn the boxes of the riders do not turn with them.
        for (const Object* o : world.movables)
            if (collides && !world.isRotating && (o->type == TANK || o->type == PROJECTILE))
                inside(tick, *o);
        if (m.made - m.deleted != world.itemCount)
            fault << "tick " << tick << ": item boxes held past their pass\n";
        if (tick % 100 == 0 && !world.validate())
            fault << "tick " << tick << ": the world is broken\n";
    }
    muted.reset();
    printf("%d tank and %d shell bounces, %d shells landed, %d of %d item boxes taken\n",
           bounces[0], bounces[1], landed, m.deleted, m.made);
    EXPECT_EQ(fault.str().substr(0, 2000), "");
    EXPECT_TRUE(objectsOfType(world, PROJECTILE).empty()); // every shell came down
    EXPECT_TRUE(bounces[0] > 500 && bounces[1] > 50 && landed > 500);
    EXPECT_GE(m.deleted, 5); // picked up or crushed, and deleted after their pass
}

} // namespace
