#pragma once

// View floor: how a player sees the world: cameras, backdrop, heads-up display, view layout.
// May use entities and the layers below, and OpenGL.

#include "math/matrix.h"
#include "view/camera.h"

// Looks at the cube's centre from `distance` along the view axis, through an accumulated
// transform of turns and pans. The level editor owns one; the game screen uses one for its
// overview. Plain value type; owns nothing.
class WorldCamera : public Camera {
public:
    // Needs a current GL context. Multiplies onto the current matrix: the caller selects the
    // model-view matrix and loads the identity first.
    void apply() override;

    void reset(); // identity transform, distance 0
    // World units; the distance never goes below 0.
    void zoom(float delta);
    // Zooms out by as far as a perspective of `fovDegrees` (its full vertical angle) must stand
    // from a cube of half edge `halfExtent` to see all of it, plus 1.5 half edges to spare.
    void zoomToFit(float halfExtent, float fovDegrees);
    // World units, in eye space: the scene moves by (-dx, -dy).
    void pan(float dx, float dy);
    // Radians about the axis (ax, ay, az), which is normalised. A zero axis turns nothing.
    void rotate(float angle, float ax, float ay, float az);

    Matrix4f transform = Matrix4f::identity(); // row-major, applied after the distance
    float distance = 0.0f;                     // world units, >= 0
};
