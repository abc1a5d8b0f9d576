#include <cstdio>

#include "collision/hierarchicalobject.h"
#include "collision/raybox.h"
#include "entities/collisionresponder.h"
#include "entities/projectile.h"
#include "entities/tank.h"
#include "math/faces.h"
#include "world/box.h"
#include "world/obstacle.h"

namespace {

Vec3f halfLengths(const Object& object) {
    Vec3f half;
    object.boundingBox.getHalfLengths(half);
    return half;
}

// Where a block's box is centred: half its height above its base on the face.
Vec3f boxCentre(const Object& box, const Vec3f& half) {
    return box.position + box.up * half[faceAxis(box.face)];
}

// Moves an object by `delta` and sweeps its box over the move, so the detector sees the path.
void displace(Object& object, const Vec3f& delta) {
    object.position += delta;
    object.matrix.preMultiply(Matrix4f::translation(delta));
    object.boundingBox.moveTo(object.position, true);
}

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

bool CollisionResponder::bounceOffBox(const Vec3f& prevCentre, const Vec3f& rel,
                                      const Vec3f& velocity, const Vec3f& halfSize,
                                      float restitution, Vec3f& outCentre,
                                      Vec3f& outVelocity) const {
    float t = 0;
    int face = 0;
    int result = intersectBox(prevCentre, rel, velocity, halfSize, t, face);
    printf("%d\n", result);
    if (result != 2)
        return false; // no entry from outside: a mover that starts inside is not pushed out
    const Vec3f& n = faceNormal(face);
    outVelocity = velocity - n * ((1 + restitution) * velocity.dot(n));
    outCentre = prevCentre + velocity * t + outVelocity * (dt - t);
    return true;
}

// The tank is treated as a point at its box centre against the block grown by the tank's half
// size.
void CollisionResponder::tankOffBox(Object* tank, Object* box) {
    Vec3f hT = halfLengths(*tank), hB = halfLengths(*box);
    Vec3f lift = tank->up * hT[faceAxis(tank->face)];
    Vec3f centre = tank->position + lift;
    Vec3f prevCentre = centre - tank->velocity * dt;
    Vec3f target = boxCentre(*box, hB);
    for (int i = 0; i < 3; ++i)
        hB[i] += hT[i];
    Vec3f newCentre, newVelocity;
    if (!bounceOffBox(prevCentre, target - prevCentre, tank->velocity, hB, TANK_BOUNCE, newCentre,
                      newVelocity))
        return;
    tank->velocity = newVelocity;
    // The tank's own update puts its box back above its position on the next tick.
    displace(*tank, (newCentre - lift) - tank->position);
}

void CollisionResponder::shellOffBox(Object* shell, Object* box) {
    Vec3f hB = halfLengths(*box);
    Vec3f target = boxCentre(*box, hB);
    float radius = static_cast<Projectile*>(shell)->radius;
    for (int i = 0; i < 3; ++i)
        hB[i] += radius;
    Vec3f prevCentre = shell->position - shell->velocity * dt;
    Vec3f newCentre, newVelocity;
    if (!bounceOffBox(prevCentre, target - prevCentre, shell->velocity, hB, PROJECTILE_BOUNCE,
                      newCentre, newVelocity))
        return;
    shell->velocity = newVelocity;
    displace(*shell, newCentre - shell->position);
    printf("p\n");
}

void CollisionResponder::tankOffMesh(Object* tank, Object* obstacle) {
    float tHit = 0;
    Vec3f n;
    if (!static_cast<Obstacle*>(obstacle)->mesh->findCollision(sphereOf(*tank), dt, tHit, n))
        return;
    // The push stays in the face's plane.
    n.normalize();
    n -= tank->up * n.dot(tank->up);
    n.normalize();
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

void CollisionResponder::shellOffMesh(Object* shell, Object* obstacle) {
    float tHit = 0;
    Vec3f n;
    if (!static_cast<Obstacle*>(obstacle)->mesh->findCollision(sphereOf(*shell), dt, tHit, n))
        return;
    n.normalize();
    Vec3f v = shell->velocity;
    Vec3f newVelocity = v - n * ((1 + PROJECTILE_BOUNCE) * v.dot(n));
    // From where the tick began: back to the contact, then off it for the rest of the tick.
    Vec3f delta = v * -dt + v * tHit + newVelocity * (dt - tHit);
    shell->velocity = newVelocity;
    displace(*shell, delta);
}
