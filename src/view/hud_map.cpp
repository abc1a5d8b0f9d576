#include <GL/gl.h>
#include <algorithm>
#include <cmath>

#include "entities/tank.h"
#include "math/constants.h"
#include "math/glmatrix.h"
#include "view/headsupdisplay.h"
#include "world/world.h"

namespace {

constexpr float MAP_SHARE = 0.2f; // of the overlay's width
constexpr float MAP_LIMIT = 0.4f; // at most, in overlay units
const float DEGREES = static_cast<float>(PI / 180);

float clampedAcos(float c) {
    return std::acos(std::max(-1.0f, std::min(1.0f, c)));
}

} // namespace

Matrix4f HeadsUpDisplay::mapOrientation(const Vec3f& up, const Vec3f& forward, float tilt,
                                        const Vec3f& tiltAxis) {
    // R1 turns the tank's up onto +Z, the viewer's side of the miniature.
    Vec3f axis = cross(up, Z_AXIS);
    float angle = clampedAcos(up.dot(Z_AXIS));
    Matrix4f r1 = Matrix4f::identity();
    if (axis.length() >= 0.01f)
        r1 = Matrix4f::rotation(angle, axis);
    else if (up.z() < 0)
        r1 = Matrix4f::rotation(static_cast<float>(PI), X_AXIS);
    // R2 turns the tank's forward, now in the plane of the screen, onto +Y.
    Vec3f f = forward;
    r1.transformPoint(f);
    float spin = clampedAcos(Y_AXIS.dot(f)) / DEGREES;
    if (cross(Y_AXIS, f).z() > 0)
        spin = 360.0f - spin;
    Matrix4f r2 = Matrix4f::rotationZ(spin * DEGREES);
    Matrix4f r3 = Matrix4f::identity();
    if (tiltAxis.length() > 0)
        r3 = Matrix4f::rotation(tilt * DEGREES, tiltAxis);
    return r3 * r2 * r1;
}

void HeadsUpDisplay::drawMap(const Tank& tank) {
    const World* world = tank.world;
    if (!world)
        return;
    Matrix4f orientation = mapOrientation(tank.up, tank.forward, tilt, tiltAxis);
    // The world direction that the orientation turns towards the viewer.
    Vec3f viewDirection = Z_AXIS;
    orientation.transpose().transformPoint(viewDirection);

    float size = std::min(MAP_SHARE * width, MAP_LIMIT);
    glDisable(GL_LIGHTING);
    glPushMatrix();
    glTranslatef(0.72f * size, 0.72f * size, -2.05f * size);
    float scale = size / (static_cast<float>(world->n) * world->cubieSize);
    glScalef(scale, scale, scale);
    glRotatef(10.0f, 0, 1, 0);
    glMultMatrix(orientation);
    const_cast<World*>(world)->drawMap(viewDirection);
    glPopMatrix();
    glEnable(GL_LIGHTING);
}
