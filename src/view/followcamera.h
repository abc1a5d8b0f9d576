#pragma once

// View floor: how a player sees the world: cameras, backdrop, heads-up display, view layout.
// May use entities and the layers below, and OpenGL.

#include "math/constants.h"
#include "math/matrix.h"
#include "math/vectors.h"
#include "view/backdrop.h"
#include "view/camera.h"

class Object;

// Trails one tank from behind and above with a per-update lag, and draws the backdrop behind
// the scene. Each player owns one; it owns its Backdrop and never owns its target.
class FollowCamera : public Camera {
public:
    FollowCamera();
    ~FollowCamera() override;
    FollowCamera(const FollowCamera&) = delete;
    FollowCamera& operator=(const FollowCamera&) = delete;

    // Follows `tank` (null stops following) and moves one update towards it.
    void setTarget(Object* tank);
    // Eases eye and look point towards their goals. The lag is per call, at the timer rate,
    // so dt (seconds) is not used. Does nothing without a target.
    void update(float dt);
    // Needs a current GL context: loads the model-view matrix, draws the backdrop without
    // touching the depth buffer, and stores the world-to-eye transform in viewMatrix. The depth
    // buffer of the viewport is expected clear, as the start of a frame leaves it.
    void apply() override;

    float fov = 33.0f; // degrees, vertical; read by whoever sets the projection
    // Radians: elevation of the eye above the tank's forward axis (15 degrees).
    float angle = static_cast<float>(PI) * 15 / 180;
    float lookahead = 12.0f; // world units ahead of the tank along its forward
    float distance = 23.0f;  // world units from the eye to the look point
    float stiffness = 0.8f;  // scales the normal catch-up; k = stiffness * 0.5, at most 1
    Matrix4f viewMatrix = Matrix4f::identity(); // row-major model-view of the last apply()
    Vec3f up;                                   // the tank's up at the last update
    Object* target = nullptr;                   // not owned; a Tank in play (a Tank is an Object)
    Vec3f eye;                                  // world position, smoothed
    Vec3f lookPoint;                            // world position, smoothed
    bool fastFollow = false; // the target rode a turning layer at the last update
    Backdrop* backdrop;      // owned
};
