#include "world/cubegeometry.h"

#include <cassert>

namespace {

// Colour index -> side: white +Y, green -X, red +Z, blue +X, orange -Z, yellow -Y.
const StickerRotation STICKER_ROTATIONS[6] = {
    {-90.0f, Vec3f(1, 0, 0)}, {-90.0f, Vec3f(0, 1, 0)}, {0.0f, Vec3f(0, 1, 0)},
    {90.0f, Vec3f(0, 1, 0)},  {180.0f, Vec3f(0, 1, 0)}, {90.0f, Vec3f(1, 0, 0)},
};

// Swaps x and y of every corner: the -X bevel becomes the -Y one. A mirror, so the corner
// order is reversed to stay counter-clockwise.
void mirrorDiagonal(const Vec3f in[4], Vec3f out[4]) {
    for (int c = 0; c < 4; ++c)
        out[3 - c] = Vec3f(in[c].y(), in[c].x(), in[c].z());
}

// Negates x (or y when `alongY`), reversing the order for the same reason.
void mirrorAxis(const Vec3f in[4], Vec3f out[4], bool alongY) {
    for (int c = 0; c < 4; ++c) {
        const Vec3f& p = in[c];
        out[3 - c] = alongY ? Vec3f(p.x(), -p.y(), p.z()) : Vec3f(-p.x(), p.y(), p.z());
    }
}

} // namespace

CubeSideGeometry cubeSideGeometry(float h, float b, float i) {
    CubeSideGeometry g;
    g.sticker[0] = Vec3f(b - h, b - h, h);
    g.sticker[1] = Vec3f(h - b, b - h, h);
    g.sticker[2] = Vec3f(h - b, h - b, h);
    g.sticker[3] = Vec3f(b - h, h - b, h);

    Vec3f* minusX = g.bevels[0];
    minusX[0] = Vec3f(i - h, i - h, h - i);
    minusX[1] = Vec3f(b - h, b - h, h);
    minusX[2] = Vec3f(b - h, h - b, h);
    minusX[3] = Vec3f(i - h, h - i, h - i);
    mirrorAxis(minusX, g.bevels[1], false);
    mirrorDiagonal(minusX, g.bevels[2]);
    mirrorAxis(g.bevels[2], g.bevels[3], true);

    // The bevel rises by `i` over a run of `b - i` towards the sticker, so its outward normal
    // leans (b - i) : i towards +Z, not the other way round.
    g.bevelNormals[0] = Vec3f(-i, 0, b - i);
    g.bevelNormals[1] = Vec3f(i, 0, b - i);
    g.bevelNormals[2] = Vec3f(0, -i, b - i);
    g.bevelNormals[3] = Vec3f(0, i, b - i);
    for (Vec3f& normal : g.bevelNormals)
        normal.normalize();
    return g;
}

const StickerRotation& stickerRotation(int colourIndex) {
    assert(colourIndex >= 0 && colourIndex < 6);
    return STICKER_ROTATIONS[colourIndex];
}
