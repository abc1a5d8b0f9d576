#include "view/worldcamera.h"

#include <GL/gl.h>

#include <cmath>

#include "math/constants.h"
#include "math/glmatrix.h"

void WorldCamera::apply() {
    glTranslatef(0.0f, 0.0f, -distance);
    glMultMatrix(transform);
}

void WorldCamera::reset() {
    transform = Matrix4f::identity();
    distance = 0.0f;
}

void WorldCamera::zoomToFit(float halfExtent, float fovDegrees) {
    float halfAngle = fovDegrees / 2 * static_cast<float>(PI) / 180; // radians
    zoom(halfExtent * (1.0f / std::tan(halfAngle) + 1.5f));
}

void WorldCamera::zoom(float delta) {
    distance += delta;
    if (distance < 0.0f)
        distance = 0.0f;
}

void WorldCamera::pan(float dx, float dy) {
    transform = Matrix4f::translation(-dx, -dy, 0.0f) * transform;
}

void WorldCamera::rotate(float angle, float ax, float ay, float az) {
    // A zero axis would not turn but scale the whole view by cos(angle), for good.
    if (ax == 0.0f && ay == 0.0f && az == 0.0f)
        return;
    transform = Matrix4f::rotation(-angle, ax, ay, az) * transform;
}
