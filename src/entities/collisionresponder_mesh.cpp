#include <cmath>

#include "collision/hierarchicalobject.h"
#include "entities/collisionresponder.h"
#include "entities/collisionresponder_internal.h"
#include "entities/explosion.h"
#include "entities/item.h"
#include "entities/projectile.h"
#include "entities/tank.h"
#include "world/obstacle.h"
#include "world/world.h"

using responder::displace;
using responder::halfLengths;

namespace {

// The mover as the mesh query sees it: a sphere whose centre ends the step at `position`.
SweptSphere sphereOf(const Object& mover) {
    SweptSphere sphere;
    sphere.position = mover.position;
    sphere.velocity = mover.velocity;
    if (mover.type == PROJECTILE) {
        sphere.radius = static_cast<const Projectile&>(mover).radius;
    } else {
        sphere.radius = Tank::tankRadius;
        sphere.lift = mover.up * halfLengths(mover)[faceAxis(mover.face)];
    }
    return sphere;
}

} // namespace

void CollisionResponder::tankOffMesh(Object* tank, Object* obstacle) {
    float tHit = 0;
    Vec3f n;
    if (!static_cast<Obstacle*>(obstacle)->mesh->findCollision(sphereOf(*tank), dt, tHit, n))
        return;
    // The push stays in the face's plane.
    n.normalize();
    n -= tank->up * n.dot(tank->up);
    n.normalize();
    if (!(tank->velocity.dot(n) < 0))
        return; // a contact straight above or below, or one it is leaving: no push
    float k = 1 + TANK_BOUNCE;
    if (tank->velocity.length() < SLOW_TANK_SPEED)
        k += 1; // a slow tank would otherwise creep back into the rock
    Vec3f v = tank->velocity;
    Vec3f newVelocity = v - n * (k * v.dot(n));
    // Undo this tick's move, go to the contact, then bounce for the rest of the tick and half
    // a tick more.
    Vec3f delta = v * -dt + v * tHit + newVelocity * ((dt - tHit) + dt * 0.5f);
    tank->velocity = newVelocity;
    displace(*tank, delta);
}

// From where the tick began: to the contact, then off it for the rest of the tick. (Adding the
// path to the contact to the position after the shell's own move would carry it beyond the
// contact, into the rock.) The bounce may send the shell at another face of the rock within
// the same tick: it bounces off that one too.
void CollisionResponder::shellOffMesh(Object* shell, Object* obstacle) {
    HierarchicalObject& mesh = *static_cast<Obstacle*>(obstacle)->mesh;
    SweptSphere sphere = sphereOf(*shell);
    Vec3f from = shell->position - shell->velocity * dt;
    float left = dt; // seconds of the tick still to travel from `from`
    int bounces = 0;
    for (; bounces < MAX_MESH_BOUNCES; ++bounces) {
        float tHit = 0;
        Vec3f n;
        sphere.position = from + sphere.velocity * left;
        if (!mesh.findCollision(sphere, left, tHit, n))
            break;
        n.normalize();
        // Only a shell heading into the face it touched bounces: reflecting one that leaves
        // it would turn it into the rock.
        float in = sphere.velocity.dot(n);
        if (!(in < 0))
            break;
        tHit = std::fmin(tHit, left); // a leaf accepts contacts a hair after the step
        from += sphere.velocity * tHit;
        sphere.velocity -= n * ((1 + PROJECTILE_BOUNCE) * in);
        left -= tHit;
    }
    if (bounces == 0)
        return;
    shell->velocity = sphere.velocity;
    displace(*shell, from + sphere.velocity * left - shell->position);
    // A shell in a hollow of the rock bounces ever lower and would lie there for ever: once
    // it has come to rest it lands, as it would on the face.
    if (shell->velocity.length() < SETTLED_SPEED && world) {
        auto* projectile = static_cast<Projectile*>(shell);
        float size = projectile->kind == ITEM_NUKE ? Projectile::NUKE_EXPLOSION_SIZE
                                                   : Projectile::EXPLOSION_SIZE;
        world->addObject(new Explosion(shell->position, world, size));
        takeOut(shell);
    }
}
