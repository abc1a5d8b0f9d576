#pragma once

#include "math/vectors.h"
#include "world/object.h"

// A coloured rectangular block standing on a face: the stuff levels are made of. Its base lies
// in the face plane at `position`; it rises `height` along `up`. Owned by the world like any
// object; placed by level files and the level editor.
class Box : public Object {
public:
    // Sizes in world units along the face's right, forward and up; grey until painted.
    Box(const Vec3f& position, World* world, float width, float depth, float height);

    // Resizes the block and its collision box, which stays centred half the height above the
    // base. Sizes must not be negative.
    void setSize(float width, float depth, float height);

    // The whole block, also in the shadow pass: blocks cast shadows.
    void draw(bool shadow) override;
    // Turns with the layer; the box stays centred above the turned base.
    void transform(const Matrix4f& m) override;
    // On the miniature cube, every block shows 5 units tall, unless it stands more than 100
    // degrees away from the viewer's side.
    void drawOnMap(const Vec3f& viewDirection) override;

    static constexpr float MAP_HEIGHT = 5; // world units

    Vec4f colour;
    float width = 0;  // along the object's local X (the face's right)
    float depth = 0;  // along local Y (forward)
    float height = 0; // along local Z (up), from the face surface outwards

private:
    // GL: the six sides as one run of quads in the block's colour, `h` tall, in the object's
    // space or carried by `place` into another.
    void sendSides(float h, const Matrix4f* place) const;
};
