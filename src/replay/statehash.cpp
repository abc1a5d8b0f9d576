#include "replay/statehash.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>
#include <xxhash.h>

#include "entities/explosion.h"
#include "entities/itembox.h"
#include "entities/projectile.h"
#include "entities/tank.h"
#include "match/match.h"
#include "math/randomsource.h"
#include "world/box.h"
#include "world/world.h"

namespace {

class StateBytes {
public:
    explicit StateBytes(std::string& out) : out(out) {}

    void integer(int64_t v) { raw(&v, sizeof v); }
    void number(float v) { raw(&v, sizeof v); } // the float's own bits
    void vector(const Vec3f& v) {
        for (int i = 0; i < 3; ++i)
            number(v[i]);
    }
    void matrix(const Matrix4f& m) { raw(m.data(), 16 * sizeof(float)); }

private:
    void raw(const void* bytes, size_t size) { out.append(static_cast<const char*>(bytes), size); }
    std::string& out;
};

void cube(StateBytes& s, const RubiksCube& cube) {
    s.integer(cube.n);
    s.number(cube.cubieSize);
    s.integer(cube.isRotating);
    s.integer(cube.rotatingLayer);
    s.integer(cube.rotationAxis);
    s.integer(cube.rotationDirection);
    s.number(cube.rotationElapsed);
    for (const Cube* cubie : cube.cubies) {
        s.matrix(cubie->matrix);
        for (int colour : cubie->faceColors)
            s.integer(colour);
        s.integer(cubie->rotating);
    }
    // The grid by the cubies' indices: which cubie sits in which cell.
    std::vector<std::pair<const Cube*, int>> index;
    index.reserve(cube.cubies.size());
    for (size_t i = 0; i < cube.cubies.size(); ++i)
        index.emplace_back(cube.cubies[i], static_cast<int>(i));
    std::sort(index.begin(), index.end());
    for (const Cube* cell : cube.grid) {
        auto found = std::lower_bound(index.begin(), index.end(), std::make_pair(cell, -1));
        s.integer(cell && found != index.end() && found->first == cell ? found->second : -1);
    }
}

void tank(StateBytes& s, const Tank& tank) {
    s.integer(tank.driveDirection);
    s.number(tank.stunTime);
    s.number(tank.invulnerableTime);
    s.integer(tank.visible);
    s.number(tank.spinAngle);
    s.integer(tank.health);
    s.integer(tank.itemCount);
    s.integer(tank.currentItem);
    for (const Item* item : tank.items)
        s.integer(item ? item->kind : -1);
    s.integer(tank.fireHeld);
}

void object(StateBytes& s, const Object& object) {
    s.integer(object.type);
    s.integer(object.face);
    s.vector(object.position);
    s.vector(object.velocity);
    s.vector(object.up);
    s.vector(object.forward);
    s.matrix(object.matrix);
    s.integer(object.onRotatingLayer);
    switch (object.type) {
    case TANK:
        tank(s, static_cast<const Tank&>(object));
        break;
    case PROJECTILE: {
        const auto& shell = static_cast<const Projectile&>(object);
        s.integer(shell.kind);
        s.number(shell.radius);
        break;
    }
    case EXPLOSION: {
        const auto& blast = static_cast<const Explosion&>(object);
        s.number(blast.radius);
        s.integer(blast.expanding);
        s.number(blast.growth);
        s.number(blast.expandTime);
        break;
    }
    case ITEM_BOX: {
        const auto& box = static_cast<const ItemBox&>(object);
        s.number(box.spinAngle);
        s.integer(box.cube.isRotating);
        s.integer(box.cube.rotatingLayer);
        s.number(box.cube.rotationElapsed);
        break;
    }
    case BOX: {
        const auto& block = static_cast<const Box&>(object);
        s.number(block.width);
        s.number(block.depth);
        s.number(block.height);
        break;
    }
    default: // an obstacle carries nothing of its own that changes
        break;
    }
}

void world(StateBytes& s, const World& world) {
    s.integer(world.pendingRandomTurns);
    s.number(world.itemInterval);
    s.number(world.itemTimer);
    s.integer(world.itemCount);
    s.integer(static_cast<int64_t>(world.tanks.size()));
    s.integer(static_cast<int64_t>(world.turningObjects.size()));
    cube(s, world);
    s.integer(static_cast<int64_t>(world.allObjects.size()));
    for (const Object* o : world.allObjects)
        object(s, *o);
}

} // namespace

void appendMatchState(const Match& match, std::string& out) {
    StateBytes s(out);
    s.integer(randomSource.seedValue());
    s.integer(static_cast<int64_t>(randomSource.draws()));
    s.integer(randomSource.tableIndex());
    s.integer(match.round);
    s.integer(match.decided());
    s.number(match.countdown);
    for (int wins : match.wins)
        s.integer(wins);
    for (const Seat* seat : match.seats) {
        s.integer(seat->alive);
        s.integer(seat->won);
        s.integer(seat->switchLatch);
        s.integer(seat->tank ? seat->tank->getHealth() : -1);
    }
    if (match.world)
        world(s, *match.world);
}

uint64_t hashMatchState(const Match& match) {
    // One buffer for the game's life: a steady match allocates nothing here.
    static std::string bytes;
    bytes.clear();
    appendMatchState(match, bytes);
    return XXH3_64bits(bytes.data(), bytes.size());
}
