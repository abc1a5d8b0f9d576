#pragma once

#include "math/vectors.h"
#include "world/object.h"
#include "world/rubikscube.h"

// A power-up waiting on a face, drawn as a small spinning 3x3x3 Rubik's cube that turns one
// random layer after another and never rests. A tank with a free slot that touches it gets a
// random Item (decided then); the box then leaves the world. Owns its mini cube; created with
// new and handed to World::addObject by the world's spawner.
class ItemBox : public Object {
public:
    ItemBox(const Vec3f& position, World* world);

    // GL only. The shadow pass gets a flat quad of the footprint.
    void draw(bool shadow) override;
    void update(float dt) override;
    // GL only: a marker box, unless the face is turned more than 85 degrees from the viewer.
    void drawOnMap(const Vec3f& viewDirection) override;

    Vec4f colour;    // of the marker in the heads-up display's miniature cube
    RubiksCube cube; // the visible model, 1.75 on an edge, centred on its origin
    float width;     // footprint along local X, world units
    float depth;     // footprint along local Y
    float height;    // of the collision box
    float spinAngle; // degrees about the face normal; grows without wrapping
    float spinSpeed; // degrees per second
};
