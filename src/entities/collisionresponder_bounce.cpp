#include <cmath>
#include <cstdio>

#include "collision/raybox.h"
#include "entities/collisionresponder.h"
#include "entities/collisionresponder_internal.h"
#include "entities/projectile.h"
#include "math/faces.h"
#include "world/world.h"

using responder::displace;
using responder::halfLengths;

namespace {

// Where a block's box is centred: half its height above its base on the face.
Vec3f boxCentre(const Object& box, const Vec3f& half) {
    return box.position + box.up * half[faceAxis(box.face)];
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
    // No entry from outside (a mover that starts inside is pushed out, see pushOut). Nor is
    // one whose path reaches the box only after the tick (a stale or swept box overlapping):
    // bouncing it would run the rest of the tick backwards and carry it towards the box.
    if (result != 2 || t > dt)
        return false;
    const Vec3f& n = faceNormal(face);
    outVelocity = velocity - n * ((1 + restitution) * velocity.dot(n));
    outCentre = prevCentre + velocity * t + outVelocity * (dt - t);
    return true;
}

// The bounce only answers a mover that enters the box during the tick. One that was already
// inside (thrown in off a neighbouring block or a rock, left a hair inside by rounding after
// a bounce, covered by a block a layer turn brought) would otherwise drive or fall straight
// through the block.
bool CollisionResponder::pushOut(Object& mover, const Vec3f& centre, const Vec3f& boxCentre,
                                 const Vec3f& half, int upAxis, float restitution) {
    // How far the centre must move along each side's normal to reach that side; the centre
    // touching a side is outside.
    float depth[6];
    for (int face = 0; face < 6; ++face) {
        int axis = faceAxis(face);
        depth[face] = faceSign(face) * (boxCentre[axis] - centre[axis]) + half[axis];
        if (!(depth[face] > 0))
            return false;
    }
    // The nearest side, not the one along up (a tank stays on its face), and for a tank
    // preferably one that keeps it on its face.
    int best = -1;
    bool bestOnFace = false;
    for (int face = 0; face < 6; ++face) {
        int axis = faceAxis(face);
        if (axis == upAxis)
            continue;
        float side = boxCentre[axis] + faceSign(face) * half[axis];
        bool onFace = upAxis < 0 || !world || std::fabs(side) < world->halfExtent();
        if (best < 0 || (onFace && !bestOnFace) ||
            (onFace == bestOnFace && depth[face] < depth[best])) {
            best = face;
            bestOnFace = onFace;
        }
    }
    const Vec3f& n = faceNormal(best);
    float inwards = mover.velocity.dot(n);
    if (inwards < 0)
        mover.velocity -= n * ((1 + restitution) * inwards);
    displace(mover, n * depth[best]);
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
                      newVelocity)) {
        pushOut(*tank, centre, target, hB, faceAxis(tank->face), TANK_BOUNCE);
        return;
    }
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
                      newCentre, newVelocity)) {
        pushOut(*shell, shell->position, target, hB, -1, PROJECTILE_BOUNCE);
        return;
    }
    shell->velocity = newVelocity;
    displace(*shell, newCentre - shell->position);
    printf("p\n");
}
