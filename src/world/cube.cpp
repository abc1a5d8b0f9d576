#include "world/cube.h"

#include <cassert>

#include "math/colours.h"
#include "math/faces.h"

const Vec4f FACE_COLORS[6] = {WHITE, GREEN, RED, BLUE, ORANGE, YELLOW};
const Vec4f BEVEL_COLOUR = grey(0.05f);

Cube::Cube(float size, const Vec3f& centre)
    : matrix(Matrix4f::translation(centre)), size(size), bevel(size * 0.05f), inset(bevel * 0.25f) {
    for (int face = 0; face < 6; ++face) {
        faceColors[face] = INITIAL_FACE_COLORS[face];
        outer[face] = true;
    }
}

Cube::Cube(float size, const Vec3f& centre, float cubeHalfExtent) : Cube(size, centre) {
    // Unturned, the side of colour faceColors[f] faces world face f. Centres lie on a grid of
    // pitch `size`, so a quarter of it tells the surface from the next layer in.
    for (int face = 0; face < 6; ++face) {
        float reach = centre[faceAxis(face)] * static_cast<float>(faceSign(face)) + size * 0.5f;
        outer[faceColors[face]] = reach > cubeHalfExtent - size * 0.25f;
    }
}

void Cube::rotateStickers(int axis, bool counterClockwise) {
    assert(axis >= 0 && axis < 3);
    int direction = counterClockwise ? 0 : 1;
    int before[6];
    for (int face = 0; face < 6; ++face)
        before[face] = faceColors[face];
    // The two faces on the axis map to themselves, so they keep their colours.
    for (int face = 0; face < 6; ++face)
        faceColors[rotateFace(axis, direction, face)] = before[face];
}
