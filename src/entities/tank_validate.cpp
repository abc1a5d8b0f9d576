#include <cmath>
#include <cstdio>

#include "entities/tank.h"

namespace {

bool fail(const char* why) {
    fprintf(stderr, "Tank::validate: %s\n", why);
    return false;
}

bool near(const Vec3f& a, const Vec3f& b, float tolerance) {
    return (a - b).length() <= tolerance;
}

} // namespace

bool Tank::validate() const {
    if (std::fabs(forward.length() - 1) > 1e-3f || std::fabs(up.length() - 1) > 1e-3f)
        return fail("forward or up is not a unit vector");
    if (std::fabs(forward.dot(up)) > 1e-3f)
        return fail("forward leaves the face plane");
    // The matrix maps local +Y onto forward, +Z onto up and its origin onto position.
    Vec3f origin, localY(0, 1, 0), localZ(0, 0, 1);
    matrix.transformPoint(origin);
    matrix.transformPoint(localY);
    matrix.transformPoint(localZ);
    float scale = 1e-4f * (1 + position.length());
    if (!near(origin, position, scale) || !near(localY - origin, forward, 1e-3f) ||
        !near(localZ - origin, up, 1e-3f))
        return fail("matrix out of step with position, forward and up");
    int filled = 0;
    for (const Item* item : items)
        filled += item ? 1 : 0;
    if (filled != itemCount)
        return fail("itemCount differs from the filled slots");
    if (currentItem < 0 || currentItem >= SLOTS)
        return fail("currentItem is not a slot");
    if (health > MAX_HEALTH)
        return fail("health above the maximum");
    if (stunTime > STUN_TIME || invulnerableTime > INVULNERABLE_TIME)
        return fail("a timer above its start value");
    if (spinAngle < 0 || spinAngle >= 360)
        return fail("spinAngle outside [0, 360)");
    if (!treadTrail || treadTrail->owner != this || treadTrail->next < 0 ||
        treadTrail->next >= treadTrail->count)
        return fail("tread trail broken");
    return true;
}
