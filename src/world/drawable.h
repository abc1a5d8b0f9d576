#pragma once

#include "math/matrix.h"

// Root of everything that stands on the cube.
class Drawable {
public:
    virtual ~Drawable() = default;

    // Draws in object space; the caller has already multiplied `matrix` onto the model-view.
    // With `shadow` the model-view holds a projection onto a face and the caller fixes the
    // colour: draw only silhouette geometry, or nothing.
    virtual void draw(bool shadow) = 0;

    // Applies one rigid step of a layer turn (a rotation about the cube's centre).
    virtual void transform(const Matrix4f& m) = 0;

    Matrix4f matrix; // object space to world space; all zeros until Object sets it
};
