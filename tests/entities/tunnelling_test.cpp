#include <gtest/gtest.h>

#include <cmath>
#include <memory>
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
    int deleted = 0;
    int deletedInPass = -1;
    Match m;
    World& world = *m.world;
    std::vector<Tank*> tanks;
    quietly([&] {
        tanks = {world.addTank(4), new Tank(Vec3f(0.5f, 0, 42), &world), world.addTank(5)};
        world.addObject(tanks[1]);
    });
    for (Tank* tank : tanks) {
        delete tank->items[0];
        tank->items[0] = nullptr;
        tank->itemCount = 2;
    }
    // Two tanks on one box.
    world.addObject(new CountedItemBox(tanks[0]->position, &world, deleted));
    // A tank with one point left under a blast, then on a box: the blast's record comes first.
    tanks[2]->health = 1;
    world.addObject(new Explosion(tanks[2]->position, &world, 8));
    world.addObject(new CountedItemBox(tanks[2]->position, &world, deleted));
    // And a box a block stands on.
    world.addObject(new Box(Vec3f(20, 20, 42), &world, 6, 6, 4));
    world.addObject(new CountedItemBox(Vec3f(20, 20, 42), &world, deleted));
    auto respond = world.collisionResponse;
    world.collisionResponse = [&](World& w, std::vector<Collision*>& list, float dt) {
        respond(w, list, dt);
        deletedInPass = deleted;
    };
    quietly([&] { world.update(TICK); });
    EXPECT_EQ(tanks[0]->itemCount + tanks[1]->itemCount, 5);
    EXPECT_EQ(tanks[2]->health, 0);
    EXPECT_EQ(tanks[2]->itemCount, 2);
    EXPECT_EQ(world.itemCount, 1);
    EXPECT_EQ(deletedInPass, 0); // later records of the pass may still name them
    EXPECT_EQ(deleted, 2);       // the picked-up and the crushed box
    EXPECT_TRUE(world.validate());
}

// Forty blocks, the six rocks where the game's developer key puts them, and twelve tanks that
// drive at full speed at one block or rock after another and fire at them.
class Arena : public ::testing::Test {
protected:
    void SetUp() override {
        randomSource.seed(31);
        MutedStdout muted;
        float h = world.halfExtent();
        for (const Vec3f& place : {Vec3f(10, h, 20), Vec3f(10, -h, 20), Vec3f(-h, 0, 20),
                                   Vec3f(h, 0, 20), Vec3f(10, 0, -h), Vec3f(10, 0, h)})
            add(rocks, new Obstacle(place, &world));
        while (blocks.size() < 40) {
            auto size = [] { return randomSource.randomFloat(2, 10); };
            Box* block = new Box(world.randomFacePosition(4, 4), &world, size(), size(), size());
            if (clear(*block, 0, 3))
                add(blocks, block);
            else
                delete block;
        }
        for (int face = 0; face < 6; ++face)
            drivers.push_back({m.world->addTank(face), true});
        while (drivers.size() < 12) {
            Tank* tank = new Tank(world.randomFacePosition(3, 3), &world);
            if (clear(*tank, 1, 0))
                drivers.push_back({tank});
            else
                delete tank;
        }
        for (Driver& d : drivers) {
            if (!world.collisionDetector.isRegistered(d.tank))
                add(extraTanks, d.tank);
            for (Item*& item : d.tank->items) {
                delete item;
                item = new Item(ITEM_PROJECTILE);
            }
        }
    }
    void TearDown() override {
        for (Object* tank : extraTanks)
            if (!world.collisionDetector.isRegistered(tank))
                delete tank; // a destroyed tank the world did not make
    }

    void add(std::vector<Object*>& list, Object* object) {
        world.addObject(object);
        list.push_back(object);
    }
    // Whether the object's box keeps `gap` from every block and rock, and `centres` from the
    // centre of every face.
    bool clear(const Object& o, float gap, float centres) const {
        const float* a = o.boundingBox.getIntervals();
        for (const std::vector<Object*>* list : {&blocks, &rocks})
            for (const Object* other : *list) {
                const float* b = other->boundingBox.getIntervals();
                bool apart = false;
                for (int i = 0; i < 3; ++i)
                    apart = apart || a[2 * i] > b[2 * i + 1] + gap || b[2 * i] > a[2 * i + 1] + gap;
                if (!apart)
                    return false;
            }
        for (int face = 0; face < 6; ++face) {
            Vec3f centre = faceNormal(face) * world.halfExtent();
            bool apart = false;
            for (int i = 0; i < 3; ++i)
                apart =
                    apart || a[2 * i] > centre[i] + centres || centre[i] > a[2 * i + 1] + centres;
            if (!apart)
                return false;
        }
        return true;
    }

    // Heads for a block or rock of its face, a new one every 2.5 s; a collector for the item
    // boxes instead while there are any.
    struct Driver {
        Tank* tank;
        bool collector = false;
        Object* target = nullptr;
    };
    void steer(Driver& d, int tick) {
        Tank& tank = *d.tank;
        tank.invulnerableTime = 10; // blasts would stun it and stop it driving
        bool gone = d.target && !world.collisionDetector.isRegistered(d.target);
        if (tick % 150 == 0 || !d.target || gone || d.target->face != tank.face) {
            std::vector<Object*> near, boxes;
            for (const std::vector<Object*>* list : {&blocks, &world.movables}) // rocks move
                for (Object* o : *list)
                    if (o->face == tank.face && o->type != TANK && o->type != PROJECTILE &&
                        o->type != EXPLOSION)
                        (o->type == ITEM_BOX ? boxes : near).push_back(o);
            if (d.collector && !boxes.empty())
                near.swap(boxes);
            d.target =
                near.empty() ? nullptr : near[randomSource.randomInt(0, int(near.size()) - 1)];
        }
        tank.setDrive(1);
        if (!d.target)
            return;
        Vec3f to = d.target->position - tank.position;
        to -= tank.up * to.dot(tank.up);
        float angle = std::atan2(cross(tank.forward, to).dot(tank.up), tank.forward.dot(to));
        float amount = -angle / tank.turnRate;
        tank.turn(std::fmax(-TICK, std::fmin(TICK, amount)));
        tank.setFireButton(tick % 20 == 0 && (d.collector || std::fabs(angle) < 0.2f));
        if (tank.itemCount == 0) // and now and then a free slot for an item box
            tank.addItem(new Item(ITEM_PROJECTILE));
    }

    Match m;
    World& world = *m.world;
    std::vector<Object*> blocks, rocks, extraTanks;
    std::vector<Driver> drivers;
};

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
        Vec3f q = cross(d, e2);
        float det = e1.dot(q);
        if (std::fabs(det) < 1e-12f)
            continue;
        Vec3f s = p - a;
        float u = s.dot(q) / det, v = d.dot(cross(s, e1)) / det;
        float t = e2.dot(cross(s, e1)) / det;
        crossings += u >= 0 && v >= 0 && u + v <= 1 && t > 0;
    }
    return crossings % 2 == 1;
}

// How far the point lies inside the box grown by `grow` on every axis (negative: outside).
float depthIn(const Object& block, const Vec3f& point, const Vec3f& grow) {
    const float* b = block.boundingBox.getIntervals();
    float depth = 1e9f;
    for (int i = 0; i < 3; ++i)
        depth = std::fmin(
            depth, std::fmin(point[i] - (b[2 * i] - grow[i]), (b[2 * i + 1] + grow[i]) - point[i]));
    return depth;
}

TEST(RockShots, ShellsFiredAtARockFromAllRoundBounceOffItAndLand) {
    Match m;
    World& world = *m.world;
    Obstacle* rock = nullptr;
    quietly([&] { rock = new Obstacle(Vec3f(0, 0, 42), &world); });
    world.addObject(rock);
    int inside = 0, bounced = 0, stayed = 0;
    {
        MutedStdout muted;
        for (int a = 0; a < 72; ++a)
            for (float rise : {5.0f, 15.0f, 26.7f}) { // low, middling, and the tanks' own
                float angle = static_cast<float>(a * 5 * PI / 180);
                Vec3f heading(std::cos(angle), std::sin(angle), 0);
                world.addObject(new Projectile(Vec3f(0, 0, 43) - heading * 18,
                                               heading * 44 + Vec3f(0, 0, rise), &world, 0));
                bool turned = false;
                for (int tick = 0; tick < 300; ++tick) {
                    world.update(TICK);
                    std::vector<Object*> shells = objectsOfType(world, PROJECTILE);
                    if (shells.empty())
                        break;
                    inside += insideRock(*rock, shells[0]->position);
                    turned = turned || shells[0]->velocity.dot(heading) < 0;
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

TEST_F(Arena, TanksAtFullSpeedNeverEndInsideABlockOrRockAndShellsBounceAndLand) {
    std::ostringstream fault;
    const std::vector<Object*> none;
    int tankBounces = 0, shellBounces = 0, landed = 0;
    auto respond = world.collisionResponse;
    world.collisionResponse = [&](World& w, std::vector<Collision*>& list, float dt) {
        std::vector<std::pair<Object*, Vec3f>> before;
        for (Object* o : w.movables)
            if (o->type == TANK || o->type == PROJECTILE)
                before.push_back({o, o->velocity});
        respond(w, list, dt);
        for (auto& [o, v] : before)
            if ((o->velocity - v).length() > 1e-3f)
                ++(o->type == TANK ? tankBounces : shellBounces);
    };
    {
        MutedStdout muted;
        // Two thousand ticks of driving, then until the last shell is down.
        for (int tick = 0; fault.str().size() < 2000; ++tick) {
            if (tick >= 2000 && (tick == 2600 || objectsOfType(world, PROJECTILE).empty()))
                break;
            if (tick < 2000)
                for (Driver& d : drivers)
                    steer(d, tick);
            else
                for (Driver& d : drivers)
                    d.tank->setDrive(0);
            size_t shells = objectsOfType(world, PROJECTILE).size();
            bool collides = !world.isRotating; // a tick that ends a turn collides nothing
            world.update(TICK);
            landed += std::max(0, int(shells) - int(objectsOfType(world, PROJECTILE).size()));
            // Mid-turn the boxes of the riders do not turn with them.
            for (Object* o : collides && !world.isRotating ? world.movables : none) {
                bool isTank = o->type == TANK;
                if (!isTank && o->type != PROJECTILE)
                    continue;
                Vec3f half;
                o->boundingBox.getHalfLengths(half);
                Vec3f centre =
                    isTank ? o->position + o->up * static_cast<Tank*>(o)->halfHeight : o->position;
                Vec3f grow = isTank ? half : Vec3f();
                for (const Object* block : blocks)
                    if (depthIn(*block, centre, grow) > 0.01f)
                        fault << "tick " << tick << ": a " << (isTank ? "tank" : "shell")
                              << " inside a block by " << depthIn(*block, centre, grow) << "\n";
                for (const Object* rock : rocks)
                    if (depthIn(*rock, centre, Vec3f()) > 0 &&
                        insideRock(static_cast<const Obstacle&>(*rock), centre))
                        fault << "tick " << tick << ": a " << (isTank ? "tank" : "shell")
                              << " inside a rock\n";
            }
            if (m.made - m.deleted != world.itemCount)
                fault << "tick " << tick << ": " << m.made - m.deleted - world.itemCount
                      << " item boxes held past the pass\n";
            if (tick % 100 == 0 && !world.validate())
                fault << "tick " << tick << ": the world is broken\n";
        }
    }
    EXPECT_EQ(fault.str(), "");
    printf("arena: %d tank bounces, %d shell bounces, %d shells landed, %d of %d item boxes gone\n",
           tankBounces, shellBounces, landed, m.deleted, m.made);
    EXPECT_TRUE(objectsOfType(world, PROJECTILE).empty()); // every shell came down
    EXPECT_GT(tankBounces, 500);
    EXPECT_GT(shellBounces, 50);
    EXPECT_GE(m.deleted, 10); // picked up or crushed, and deleted after their pass
}

} // namespace
