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
    sendSides(height, nullptr);
}

void Box::sendSides(float h, const Matrix4f* place) const {
    // Per side its normal, then its corners counter-clockwise seen from outside, so back-face
    // culling keeps it: x and y as the sign of the half width and half depth, z as 0 (base) or
    // 1 (top).
    static const float SIDES[6][5][3] = {
        {{0, 0, 1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},    // top
        {{-1, 0, 0}, {-1, -1, 0}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, 0}}, // -x
        {{0, -1, 0}, {-1, -1, 0}, {1, -1, 0}, {1, -1, 1}, {-1, -1, 1}}, // -y
        {{1, 0, 0}, {1, -1, 0}, {1, 1, 0}, {1, 1, 1}, {1, -1, 1}},      // +x
        {{0, 1, 0}, {-1, 1, 0}, {-1, 1, 1}, {1, 1, 1}, {1, 1, 0}},      // +y
        {{0, 0, -1}, {-1, -1, 0}, {-1, 1, 0}, {1, 1, 0}, {1, -1, 0}},   // bottom
    };
    const float x = width / 2, y = depth / 2;
    glBegin(GL_QUADS);
    // Given here, the colour is one of the vertices' own; given outside, with colour material
    // on, it would change the material and end the driver's batch.
    glColor3fv(colour.data());
    for (const auto& side : SIDES) {
        glNormal3fv(side[0]);
        for (int c = 1; c <= 4; ++c) {
            Vec3f corner(side[c][0] * x, side[c][1] * y, side[c][2] * h);
            if (place)
                place->transformPoint(corner);
            glVertex3fv(corner.data());
        }
    }
    glEnd();
}

// The map is drawn unlit, so a block there needs neither its material nor a matrix of its own:
// its corners are carried into the map's frame here. With no state changed between them, the
// driver takes all the blocks of a map as one batch instead of one draw each.
void Box::drawOnMap(const Vec3f& viewDirection) {
    if (!(viewDirection.dot(up) > BOX_MAP_VISIBILITY))
        return;
    sendSides(MAP_HEIGHT, &matrix);
}
