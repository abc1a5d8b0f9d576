#include <GL/gl.h>

#include <cassert>

#include "math/colours.h"
#include "world/cube.h"
#include "world/cubegeometry.h"

namespace {

void drawQuad(const Vec3f corners[4]) {
    for (int c = 0; c < 4; ++c)
        glVertex3fv(corners[c].data());
}
} // namespace

void Cube::drawSide() const {
    CubeSideGeometry side = cubeSideGeometry(size * 0.5f, bevel, inset);
    // The bevel normals depend only on the ratio of bevel to inset, which every cubie shares,
    // so the first cubie drawn computes them for all.
    static const CubeSideGeometry firstSide = side;

    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, 1.0f);
    drawQuad(side.sticker);
    glColor3fv(BEVEL_COLOUR.data());
    for (int edge = 0; edge < 4; ++edge) {
        glNormal3fv(firstSide.bevelNormals[edge].data());
        drawQuad(side.bevels[edge]);
    }
    glEnd();
}

void Cube::drawSticker(int colourIndex) const {
    assert(colourIndex >= 0 && colourIndex < 6);
    const StickerRotation& rotation = stickerRotation(colourIndex);
    glColor3fv(outer[colourIndex] ? FACE_COLORS[colourIndex].data() : BEVEL_COLOUR.data());
    glPushMatrix();
    glRotatef(rotation.angle, rotation.axis.x(), rotation.axis.y(), rotation.axis.z());
    drawSide();
    glPopMatrix();
}

void Cube::drawStickerFacing(int worldFace) const {
    assert(worldFace >= 0 && worldFace < 6);
    drawSticker(faceColors[worldFace]);
}

void Cube::drawAll() const {
    for (int colourIndex = 0; colourIndex < 6; ++colourIndex)
        drawSticker(colourIndex);
}
