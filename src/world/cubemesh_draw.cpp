#include <GL/gl.h>

#include "world/cube.h"
#include "world/cubemesh.h"

void CubeMesh::bind() const {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    if (vertices.empty())
        return;
    const GLsizei stride = sizeof(Vertex);
    glVertexPointer(3, GL_FLOAT, stride, vertices.front().position);
    glNormalPointer(GL_FLOAT, stride, vertices.front().normal);
    glColorPointer(4, GL_FLOAT, stride, vertices.front().colour);
}

void CubeMesh::draw(const Range& range) const {
    if (range.count > 0)
        glDrawArrays(GL_QUADS, range.first * 4, range.count * 4);
}

void CubeMesh::unbind() {
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    // Drawing from arrays leaves the current colour and normal undefined.
    glColor4fv(BEVEL_COLOUR.data());
    glNormal3f(0.0f, 0.0f, 1.0f);
}
