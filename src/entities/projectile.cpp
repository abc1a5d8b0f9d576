#include "entities/projectile.h"

#include <cassert>
#include <cmath>

#include "entities/explosion.h"
#include "entities/item.h"
#include "math/colours.h"
#include "math/faces.h"
#include "world/world.h"

unsigned int Projectile::displayList = 0;

Projectile::Projectile(const Vec3f& start, const Vec3f& launchVelocity, World* world, int kind)
    : Object(start, world), colour(BLACK),
      radius(kind == ITEM_NUKE ? NUKE_RADIUS : PROJECTILE_RADIUS), kind(kind) {
    assert(world != nullptr && "world");
    type = PROJECTILE;
    velocity = launchVelocity;
    boundingBox.setExtents(-radius, radius, -radius, radius, -radius, radius, up, forward);
    boundingBox.moveTo(position, false);
}

void Projectile::update(float dt) {
    if (fly(dt)) {
        explode();
        return;
    }
    // The box covers the whole path of the tick, so nothing it passed is missed.
    boundingBox.moveTo(position, true);
}

bool Projectile::fly(float dt) {
    // Sub-steps of at most MAX_STEP, so that a fast shell cannot skip past the surface.
    for (float remaining = dt; remaining > 0;) {
        float step = remaining < MAX_STEP ? remaining : MAX_STEP;
        velocity += world->gravityAt(position) * step;
        Vec3f move = velocity * step;
        position += move;
        if (reachedFace())
            return true;
        matrix.preMultiply(Matrix4f::translation(move));
        remaining -= step;
    }
    return false;
}

// Only the face it was fired from counts: a shell that flies past an edge falls towards the
// next face and lands once it sinks to within its radius of its own face's plane.
bool Projectile::reachedFace() const {
    int axis = faceAxis(face);
    return std::fabs(position[axis]) - radius <= world->halfExtent();
}

void Projectile::explode() {
    World* home = world;
    home->removeObject(this);
    home->addObject(
        new Explosion(position, home, kind == ITEM_NUKE ? NUKE_EXPLOSION_SIZE : EXPLOSION_SIZE));
    delete this;
}
