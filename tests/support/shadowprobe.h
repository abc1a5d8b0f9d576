#pragma once

#include "world/object.h"

// A world object that is invisible itself but casts the shadow of a flat rectangle lying
// `lift` above its face, spanning [x0, x1] x [y0, y1] in face-local coordinates around its
// position. Lets render tests put shadows exactly where they want them.
class ShadowProbe : public Object {
public:
    ShadowProbe(const Vec3f& position, World* world, float x0, float x1, float y0, float y1,
                float lift = 1.0f);

    void draw(bool shadow) override;

private:
    float x0, x1, y0, y1, lift; // object space, world units
};

// A solid block standing on its face: w x d x h in object space, z from 0 to h, drawn in the
// current colour, casting its full shape as a shadow.
class SolidBlock : public Object {
public:
    SolidBlock(const Vec3f& position, World* world, float width, float depth, float height);

    void draw(bool shadow) override;

private:
    float width, depth, height; // world units
};
