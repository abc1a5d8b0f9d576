#pragma once

#include "math/matrix.h"
#include "math/vectors.h"

// Sticker colours by colour index: 0 white, 1 green, 2 red, 3 blue, 4 orange, 5 yellow.
extern const Vec4f FACE_COLORS[6];

// The colour index each world face (+X, -X, +Y, -Y, +Z, -Z) shows on a solved cube: blue right,
// green left, white top, yellow bottom, red front, orange back.
constexpr int INITIAL_FACE_COLORS[6] = {3, 1, 0, 5, 2, 4};

// The dark plastic of a cubie: its bevels, and the sides that face into the big cube.
extern const Vec4f BEVEL_COLOUR;

// One cubie of the Rubik's cube: a small cube of edge `size` with a dark bevel on each side and
// a coloured sticker on each side that lies on the big cube's surface; its inner sides are dark
// plastic like the bevels. Owned by its RubiksCube. The draw calls work in cubie space: callers
// multiply the transpose of `matrix` onto the model-view first and set lighting and materials.
class Cube {
public:
    // A cubie standing alone: a sticker on every side.
    Cube(float size, const Vec3f& centre);
    // A cubie of a big cube centred at the origin, `cubeHalfExtent` from its centre to a face:
    // only the sides on that cube's surface carry stickers.
    Cube(float size, const Vec3f& centre, float cubeHalfExtent);

    // The side of sticker colour `colourIndex`: the sticker, or dark plastic on an inner side.
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
    // Per colour index: that side lies on the big cube's surface. Fixed for the cubie's life,
    // since a side keeps its colour as the cubie turns.
    bool outer[6];

private:
    void drawSide() const; // the +Z side in cubie space
};
