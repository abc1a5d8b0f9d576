#pragma once

// View floor: how a player sees the world: cameras, backdrop, heads-up display, view layout.
// May use entities and the layers below, and OpenGL.

// A point of view: sets the model-view matrix before the world is drawn. The base does
// nothing, so a screen can hold a camera before it has anything to look at.
class Camera {
public:
    virtual ~Camera() = default;

    // Leaves the model-view matrix as the scene expects it; the caller owns the projection.
    virtual void apply() {}
};
