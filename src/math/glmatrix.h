#pragma once

#include <GL/gl.h>

#include "math/matrix.h"

// Multiplies a row-major Matrix4f onto the current OpenGL matrix, which wants column-major
// order: the transpose's array is exactly that. For draw functions only.
inline void glMultMatrix(const Matrix4f& m) {
    glMultMatrixf(m.transpose().data());
}
