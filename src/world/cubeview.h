#pragma once

#include "math/matrix.h"
#include "math/vectors.h"

// What one view of the cube can see, worked out from the matrices it is drawn with: where its
// eye is, and whether a box lies outside its view volume. Plain value type; no GL.
class CubeView {
public:
    // modelView: world to eye; projection: eye to clip space. Both row-major, as Matrix4f is.
    // The model-view must be invertible (a camera's rigid or scaled transform is).
    CubeView(const Matrix4f& modelView, const Matrix4f& projection);

    // Whether the world-space box (x min, x max, y min, y max, z min, z max) lies wholly beyond
    // one plane of the view volume: near, far or a side. Touching a plane counts as inside.
    bool outside(const float bounds[6]) const;

    Vec3f eye;     // world-space position of the eye
    Matrix4f clip; // world to clip space: projection * modelView
};
