#include <cmath>

#include "entities/tank.h"
#include "math/faces.h"
#include "world/world.h"

void Tank::update(float dt) {
    if (driveDirection == 0 || stunTime > 0)
        brake();
    else
        drive(dt);

    // A step that would leave the face is not taken, and the tick stops here: the tank stays
    // pressed against the edge, its timers held.
    Vec3f step = velocity * dt;
    Vec3f next = position + step;
    if (leavesFace(next))
        return;
    matrix.preMultiply(Matrix4f::translation(step));
    position += step;
    boundingBox.moveTo(position + up * halfHeight, false);
    advanceTimers(dt);
    treadTrail->update();
}

void Tank::brake() {
    velocity -= velocity * friction;
    if (velocity.length() < 0.1f)
        velocity = Vec3f();
}

// Moving the way it is driven, only the sideways drift is damped, so the tank slides along its
// heading; driven against its motion, all of the velocity is.
void Tank::drive(float dt) {
    float s = velocity.dot(forward);
    Vec3f lateral = velocity - forward * s;
    bool ahead = driveDirection == 1;
    Vec3f damped = (ahead ? s >= 0 : s <= 0) ? lateral : velocity;
    float thrust = ahead ? acceleration : -acceleration;
    velocity += forward * (thrust * dt) - damped * friction;
    float limit = ahead ? maxForwardSpeed : maxReverseSpeed;
    if (velocity.length() > limit) {
        velocity.normalize();
        velocity = velocity * limit;
    }
}

// Whether `point` is not strictly inside the square of the face the tank stands on, and further
// out than the tank is now. A layer turn may leave a tank rounded to a hair beyond its new
// face's edge: it may still stand, turn and drive back in, or its timers would never run again.
// Without a world there is no edge.
bool Tank::leavesFace(const Vec3f& point) const {
    if (!world)
        return false;
    int axis = faceAxis(faceOf(up));
    float h = world->halfExtent();
    for (int i = 0; i < 3; ++i) {
        float out = std::fabs(point[i]);
        if (i != axis && !(out < h) && !(out <= std::fabs(position[i])))
            return true;
    }
    return false;
}

void Tank::advanceTimers(float dt) {
    stunTime -= dt;
    invulnerableTime -= dt;
    if (stunTime > 0) {
        spinAngle += SPIN_SPEED * dt;
        if (spinAngle >= 360)
            spinAngle -= 360;
    } else if (spinAngle != 0) {
        // The spin finishes its turn and stops facing forward.
        spinAngle += SPIN_SPEED * dt;
        if (spinAngle >= 360)
            spinAngle = 0;
    }
    // Four blinks a second: hidden for the first half of each quarter second run down.
    if (invulnerableTime > 0) {
        float f = invulnerableTime * 4 - std::trunc(invulnerableTime * 4);
        visible = f <= 0.5f;
    } else {
        visible = true;
    }
}
