#include "view/followcamera.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>

#include "world/object.h"

namespace {

constexpr int BACKDROP_DISCS = 100;
// The catch-up factors were tuned at 30 updates per second; the timer runs at 60.
const float NORMAL_CATCH_UP = 30.0f / 60.0f;
// A turning layer swings the tank round fast; a slow camera would lose it behind the cube.
constexpr float TURNING_CATCH_UP = 0.9f;

} // namespace

FollowCamera::FollowCamera() : backdrop(new Backdrop(BACKDROP_DISCS)) {}

FollowCamera::~FollowCamera() {
    delete backdrop;
}

void FollowCamera::setTarget(Object* tank) {
    target = tank;
    update(0.0f);
}

void FollowCamera::update(float /*dt*/) {
    if (!target)
        return;
    const Vec3f& p = target->position;
    const Vec3f& f = target->forward;
    const Vec3f& u = target->up;
    Vec3f desiredLook = p + f * lookahead;
    Vec3f desiredEye =
        desiredLook - f * (std::cos(angle) * distance) + u * (std::sin(angle) * distance);

    float k = TURNING_CATCH_UP;
    if (!target->onRotatingLayer && !fastFollow)
        k = std::min(stiffness * NORMAL_CATCH_UP, 1.0f);
    lookPoint += (desiredLook - lookPoint) * k;
    eye += (desiredEye - eye) * k;

    up = u;
    // Keeps the fast catch-up for one more update, while the layer settles.
    fastFollow = target->onRotatingLayer;
}

void FollowCamera::apply() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    Vec3f direction = lookPoint - eye;
    gluLookAt(0.0, 0.0, 0.0, direction.x(), direction.y(), direction.z(), up.x(), up.y(), up.z());
    // The backdrop is infinitely far away: nothing of the scene may fail the depth test on it,
    // so it leaves the depth buffer as the frame's clear left it. A depth clear here instead
    // would cost every view a pass over the whole window.
    glDepthMask(GL_FALSE);
    backdrop->draw();
    glDepthMask(GL_TRUE);

    glLoadIdentity();
    gluLookAt(eye.x(), eye.y(), eye.z(), lookPoint.x(), lookPoint.y(), lookPoint.z(), up.x(),
              up.y(), up.z());
    GLdouble m[16]; // column-major
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            viewMatrix.at(column, row) = static_cast<float>(m[column * 4 + row]);
}
