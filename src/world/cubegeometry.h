#pragma once

#include "math/vectors.h"

// Geometry of one side of a cubie, kept apart from the GL calls so it can be checked without a
// window. Plain values; owns nothing.

// The +Z side of a cubie of half edge `halfSize`: the sticker square and the four dark bevel
// quads that join its edges to the cubie's edges, pulled in by `inset`. Every quad is listed
// counter-clockwise seen from outside, so its normal points away from the cubie.
struct CubeSideGeometry {
    Vec3f sticker[4];      // z = halfSize, spanning +-(halfSize - bevel)
    Vec3f bevels[4][4];    // -X, +X, -Y, +Y edges
    Vec3f bevelNormals[4]; // unit, one per bevel quad, same order
};

CubeSideGeometry cubeSideGeometry(float halfSize, float bevel, float inset);

// The rotation (degrees about an axis) that carries the +Z side onto the cubie-space side of
// sticker colour `colourIndex` (0..5).
struct StickerRotation {
    float angle;
    Vec3f axis;
};

const StickerRotation& stickerRotation(int colourIndex);
