#include "support/shadowprobe.h"

#include <GL/gl.h>

ShadowProbe::ShadowProbe(const Vec3f& position, World* world, float x0, float x1, float y0,
                         float y1, float lift)
    : Object(position, world), x0(x0), x1(x1), y0(y0), y1(y1), lift(lift) {
    type = ITEM_BOX;
    boundingBox.setExtents(x0, x1, y0, y1, 0, lift, up, forward);
    boundingBox.moveTo(position, false);
}

void ShadowProbe::draw(bool shadow) {
    if (!shadow)
        return;
    glNormal3f(0, 0, 1);
    glBegin(GL_QUADS);
    glVertex3f(x0, y0, lift);
    glVertex3f(x1, y0, lift);
    glVertex3f(x1, y1, lift);
    glVertex3f(x0, y1, lift);
    glEnd();
}

SolidBlock::SolidBlock(const Vec3f& position, World* world, float width, float depth, float height)
    : Object(position, world), width(width), depth(depth), height(height) {
    type = BOX;
    boundingBox.setExtents(-width / 2, width / 2, -depth / 2, depth / 2, -height / 2, height / 2,
                           up, forward);
    boundingBox.moveTo(position + up * (height / 2), false);
}

void SolidBlock::draw(bool) {
    float x = width / 2, y = depth / 2, z = height;
    // Each side counter-clockwise seen from outside, so back-face culling keeps it.
    glBegin(GL_QUADS);
    glNormal3f(0, 0, 1);
    glVertex3f(-x, -y, z), glVertex3f(x, -y, z), glVertex3f(x, y, z), glVertex3f(-x, y, z);
    glNormal3f(-1, 0, 0);
    glVertex3f(-x, -y, 0), glVertex3f(-x, -y, z), glVertex3f(-x, y, z), glVertex3f(-x, y, 0);
    glNormal3f(0, -1, 0);
    glVertex3f(-x, -y, 0), glVertex3f(x, -y, 0), glVertex3f(x, -y, z), glVertex3f(-x, -y, z);
    glNormal3f(1, 0, 0);
    glVertex3f(x, -y, 0), glVertex3f(x, y, 0), glVertex3f(x, y, z), glVertex3f(x, -y, z);
    glNormal3f(0, 1, 0);
    glVertex3f(x, y, 0), glVertex3f(-x, y, 0), glVertex3f(-x, y, z), glVertex3f(x, y, z);
    glNormal3f(0, 0, -1);
    glVertex3f(-x, -y, 0), glVertex3f(-x, y, 0), glVertex3f(x, y, 0), glVertex3f(x, -y, 0);
    glEnd();
}
