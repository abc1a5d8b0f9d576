#pragma once

#include "math/matrix.h"
#include "math/vectors.h"

// Sticker colours by colour index: 0 white, 1 green, 2 red, 3 blue, 4 orange, 5 yellow.
extern const Vec4f FACE_COLORS[6];

// The colour index each world face (+X, -X, +Y, -Y, +Z, -Z) shows on a solved cube: blue right,
// green left, white top, yellow bottom, red front, orange back.
constexpr int INITIAL_FACE_COLORS[6] = {3, 1, 0, 5, 2, 4};

// One cubie of the Rubik's cube: a small cube of edge `size` with a coloured sticker and a dark
// bevel on each side. Owned by its RubiksCube. The draw calls work in cubie space: callers
// multiply the transpose of `matrix` onto the model-view first and set lighting and materials.
class Cube {
public:
    Cube(float size, const Vec3f& centre);

    void drawSticker(int colourIndex) const;
    // Only the sticker that now faces the world direction `worldFace` (0..5).
    void drawStickerFacing(int worldFace) const;
    void drawAll() const;

    // After a quarter turn about `axis`: the sticker that faced direction d now faces R(d).
    // counterClockwise as seen from the positive end of the axis.
    void rotateStickers(int axis, bool counterClockwise);

    bool rotating = false; // belongs to the layer being turned
    Matrix4f matrix;       // cubie space to world space
    float size;            // edge length, world units
    float bevel;           // size * 0.05: width of the dark border around each sticker
    float inset;           // bevel * 0.25: how far the edges are pulled in by the bevel
    int faceColors[6];     // per world face (+X, -X, +Y, -Y, +Z, -Z): the colour index facing it

private:
    void drawSide() const; // the +Z side in cubie space
};
