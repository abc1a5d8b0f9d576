#include <GL/gl.h>
#include <cmath>

#include "entities/itembox.h"
#include "math/constants.h"
#include "math/glmatrix.h"

namespace {
// Faces turned further than 85 degrees from the viewer hide their markers.
const float ITEM_MAP_VISIBILITY = static_cast<float>(std::cos(85 * PI / 180));
} // namespace

void ItemBox::draw(bool shadow) {
    glPushMatrix();
    glRotatef(spinAngle, 0, 0, 1);
    // The mini cube floats with its underside 0.75 above the face.
    glTranslatef(0, 0, 1.75f * 0.5f + 0.75f);
    if (shadow) {
        glBegin(GL_QUADS);
        glVertex3f(-width / 2, -depth / 2, 0);
        glVertex3f(width / 2, -depth / 2, 0);
        glVertex3f(width / 2, depth / 2, 0);
        glVertex3f(-width / 2, depth / 2, 0);
        glEnd();
    } else {
        cube.draw();
    }
    glPopMatrix();
}

void ItemBox::drawOnMap(const Vec3f& viewDirection) {
    if (viewDirection.dot(up) <= ITEM_MAP_VISIBILITY)
        return;
    glPushMatrix();
    glColor3fv(colour.data());
    glMultMatrix(matrix);
    glBegin(GL_QUAD_STRIP);
    const float corners[5][2] = {{-4, -4}, {-4, 4}, {4, 4}, {4, -4}, {-4, -4}};
    for (const auto& c : corners) {
        glVertex3f(c[0], c[1], 0);
        glVertex3f(c[0], c[1], 4);
    }
    glEnd();
    glBegin(GL_QUADS);
    glVertex3f(-4, -4, 4);
    glVertex3f(4, -4, 4);
    glVertex3f(4, 4, 4);
    glVertex3f(-4, 4, 4);
    glEnd();
    glPopMatrix();
}
