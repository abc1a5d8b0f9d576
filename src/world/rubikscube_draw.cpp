#include <GL/gl.h>

#include "world/rubikscube.h"

void RubiksCube::draw() {
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular.data());
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
    for (const Cube* cubie : cubies) {
        glPushMatrix();
        glMultMatrixf(cubie->matrix.transpose().data());
        cubie->drawAll();
        glPopMatrix();
    }
}
