#include <GL/gl.h>
#include <cmath>

#include "entities/tank.h"
#include "math/glmatrix.h"
#include "world/world.h"

// The model stays within the tank's box, the tread marks do not: only the model is left out of
// a view that cannot see it.
void Tank::draw(bool shadow) {
    if (visible && !(world && world->outsideDrawnView(*this)))
        drawModel();
    treadTrail->draw(shadow);
}

void Tank::drawModel() {
    if (displayList == 0)
        compileModel();
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular.data());
    glMaterialf(GL_FRONT, GL_SHININESS, shininess);
    glColor3fv(colour.data());
    glPushMatrix();
    if (spinAngle != 0)
        glRotatef(spinAngle, 0, 0, 1);
    glCallList(displayList);
    glPopMatrix();
}

// On the heads-up display's miniature: the model while the tank's face is turned less than
// 100 degrees from the viewer, a flag standing up from the face just beyond the rim (100 to 110
// degrees), nothing further round.
void Tank::drawOnMap(const Vec3f& viewDirection) {
    float d = viewDirection.dot(up);
    // Near either pole acos is unreliable; the far pole is the far side, not the near one.
    float angle = static_cast<float>(std::acos(d) * 180 / PI);
    if (1 - std::fabs(d) < 0.001f)
        angle = d > 0 ? 0 : 180;
    glPushMatrix();
    glMultMatrix(matrix);
    if (angle < 100) {
        glScalef(6, 6, 6);
        glEnable(GL_NORMALIZE); // the scale would dim the lighting to a sixth
        glEnable(GL_LIGHTING);
        const float lightPosition[4] = {0, 0, -5, 1};
        const float lightDiffuse[4] = {0.5f, 0.5f, 0.5f, 1};
        glLightfv(GL_LIGHT1, GL_POSITION, lightPosition);
        glLightfv(GL_LIGHT1, GL_DIFFUSE, lightDiffuse);
        glEnable(GL_LIGHT1);
        drawModel();
        glDisable(GL_LIGHT1);
        glDisable(GL_LIGHTING);
        glDisable(GL_NORMALIZE);
    } else if (angle > 100 && angle < 110) {
        glRotatef(45, 0, 0, 1);
        glColor3fv(colour.data());
        glBegin(GL_QUADS);
        glVertex3f(-4, 0, 0);
        glVertex3f(-4, 0, 10);
        glVertex3f(4, 0, 10);
        glVertex3f(4, 0, 0);
        glEnd();
    }
    glPopMatrix();
}
