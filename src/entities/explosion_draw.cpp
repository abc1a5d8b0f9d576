#include <GL/gl.h>
#include <GL/glu.h>
#include <cassert>

#include "entities/explosion.h"
#include "math/colours.h"

namespace {

const Vec3f SPHERE_COLOUR = hsvToRgb(Vec3f(55, 0.7f, 1)); // (1, 0.94167, 0.3)

void compileSphere() {
    Explosion::displayList = glGenLists(1);
    assert(Explosion::displayList != 0 && "displayList != 0");
    GLUquadric* quadric = gluNewQuadric();
    gluQuadricDrawStyle(quadric, GLU_FILL);
    glNewList(Explosion::displayList, GL_COMPILE);
    glColor3fv(SPHERE_COLOUR.data());
    gluSphere(quadric, 0.99, 30, 30);
    glColor4fv(BLACK.data());
    glEndList();
    gluDeleteQuadric(quadric);
}

} // namespace

void Explosion::draw(bool shadow) {
    if (shadow)
        return;
    if (displayList == 0)
        compileSphere();
    glEnable(GL_BLEND);
    // The sphere and the sparks glow in their own colours, whatever the lights.
    glColorMaterial(GL_FRONT, GL_EMISSION);
    glPushMatrix();
    glScalef(radius, radius, radius);
    glCallList(displayList);
    for (const Spark& spark : sparks)
        drawSpark(spark);
    glPopMatrix();
    glColor3fv(BLACK.data());
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    // Set outright, not through the colour tracking: when the black above reaches the material
    // is up to the driver (Mesa applies it after the switch back, leaving the last spark's
    // colour glowing on everything drawn next).
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, BLACK.data());
    glDisable(GL_BLEND);
}

// The arc trails behind the spark's head, against the way it sweeps; a spark below the face
// plane's far side (elevation 180..539) shows its head only.
void Explosion::drawSpark(const Spark& spark) const {
    const float* sine = sineTable();
    const float* cosine = cosineTable();
    glColor3fv(spark.colour.data());
    glBegin(GL_LINE_STRIP);
    int a = spark.azimuth;
    int e = spark.elevation;
    for (int i = 0; i < spark.length; ++i) {
        float d = spark.distance;
        glVertex3f(d * cosine[e] * sine[a], d * cosine[e] * cosine[a], d * sine[e]);
        a -= ARC_STEP;
        if (e >= 180 && e < 540)
            break;
        if (a < 0)
            a += TABLE_SIZE;
    }
    glEnd();
}
