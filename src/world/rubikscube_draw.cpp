#include <GL/gl.h>

#include "math/glmatrix.h"
#include "world/rubikscube.h"

void RubiksCube::draw() {
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular.data());
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
    for (const Cube* cubie : cubies) {
        glPushMatrix();
        glMultMatrix(cubie->matrix);
        cubie->drawAll();
        glPopMatrix();
    }
}
