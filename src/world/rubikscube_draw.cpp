#include <GL/gl.h>

#include "world/rubikscube.h"

void RubiksCube::draw() {
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular.data());
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
    mesh.update(*this);
    mesh.bind();
    mesh.draw(mesh.all());
    CubeMesh::unbind();
}
