#include "world/box.h"

#include <GL/gl.h>
#include <cassert>
#include <cmath>

#include "math/colours.h"
#include "math/constants.h"
#include "math/glmatrix.h"

namespace {
// Blocks up to 100 degrees away from the viewer's side still show on the map.
const float BOX_MAP_VISIBILITY = static_cast<float>(std::cos(100 * PI / 180));
} // namespace

Box::Box(const Vec3f& position, World* world, float width, float depth, float height)
    : Object(position, world), colour(grey(0.2f)) {
    setSize(width, depth, height);
    type = BOX;
}

void Box::setSize(float w, float d, float h) {
    width = w;
    depth = d;
    height = h;
    boundingBox.setExtents(-w / 2, w / 2, -d / 2, d / 2, -h / 2, h / 2, up, forward);
    boundingBox.moveTo(position + up * (h / 2), false);
}

void Box::transform(const Matrix4f& m) {
    Object::transform(m);
    boundingBox.moveTo(position + up * (height / 2), false);
}

void Box::draw(bool) {
    static const Vec4f specular = grey(0.7f);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular.data());
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 10);
    glColor3fv(colour.data());
    float x = width / 2, y = depth / 2, h = height;
    // Each side counter-clockwise seen from outside, so back-face culling keeps it.
    glBegin(GL_QUADS);
    glNormal3f(0, 0, 1); // top
    glVertex3f(-x, -y, h);
    glVertex3f(x, -y, h);
    glVertex3f(x, y, h);
    glVertex3f(-x, y, h);
    glNormal3f(-1, 0, 0);
    glVertex3f(-x, -y, 0);
    glVertex3f(-x, -y, h);
    glVertex3f(-x, y, h);
    glVertex3f(-x, y, 0);
    glNormal3f(0, -1, 0);
    glVertex3f(-x, -y, 0);
    glVertex3f(x, -y, 0);
    glVertex3f(x, -y, h);
    glVertex3f(-x, -y, h);
    glNormal3f(1, 0, 0);
    glVertex3f(x, -y, 0);
    glVertex3f(x, y, 0);
    glVertex3f(x, y, h);
    glVertex3f(x, -y, h);
    glNormal3f(0, 1, 0);
    glVertex3f(-x, y, 0);
    glVertex3f(-x, y, h);
    glVertex3f(x, y, h);
    glVertex3f(x, y, 0);
    glNormal3f(0, 0, -1); // bottom
    glVertex3f(-x, -y, 0);
    glVertex3f(-x, y, 0);
    glVertex3f(x, y, 0);
    glVertex3f(x, -y, 0);
    glEnd();
}

void Box::drawOnMap(const Vec3f& viewDirection) {
    if (!(viewDirection.dot(up) > BOX_MAP_VISIBILITY))
        return;
    glPushMatrix();
    glMultMatrix(matrix);
    float trueHeight = height;
    height = MAP_HEIGHT;
    draw(false);
    height = trueHeight;
    glPopMatrix();
}
