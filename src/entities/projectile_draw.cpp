#include <GL/gl.h>
#include <GL/glu.h>
#include <cassert>

#include "entities/item.h"
#include "entities/projectile.h"

namespace {

constexpr Vec4f NUKE_COLOUR(1, 1, 0.1f, 1);

void compileSphere() {
    Projectile::displayList = glGenLists(1);
    assert(Projectile::displayList != 0 && "displayList != 0");
    GLUquadric* quadric = gluNewQuadric();
    gluQuadricDrawStyle(quadric, GLU_FILL);
    gluQuadricNormals(quadric, GLU_SMOOTH);
    glNewList(Projectile::displayList, GL_COMPILE);
    gluSphere(quadric, Projectile::PROJECTILE_RADIUS, 10, 10);
    glEndList();
    gluDeleteQuadric(quadric);
}

} // namespace

void Projectile::draw(bool) {
    if (displayList == 0)
        compileSphere();
    glPushMatrix();
    if (kind == ITEM_NUKE) {
        float s = radius / PROJECTILE_RADIUS;
        glScalef(s, s, s);
        glColor3fv(NUKE_COLOUR.data());
        // The scale would shorten the normals and dim the lighting by half.
        glEnable(GL_NORMALIZE);
        glCallList(displayList);
        glDisable(GL_NORMALIZE);
    } else {
        glColor3fv(colour.data());
        glCallList(displayList);
    }
    glPopMatrix();
}
