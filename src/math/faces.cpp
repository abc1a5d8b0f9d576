#include "math/faces.h"

#include <cmath>

#include "math/constants.h"

namespace {

const Vec3f FACE_NORMALS[6] = {X_AXIS, NEG_X_AXIS, Y_AXIS, NEG_Y_AXIS, Z_AXIS, NEG_Z_AXIS};

// Face-local "right" (+X) and "forward" (+Y) of each face.
const Vec3f FACE_RIGHT[6] = {NEG_Z_AXIS, Z_AXIS, X_AXIS, X_AXIS, X_AXIS, NEG_X_AXIS};
const Vec3f FACE_FORWARD[6] = {Y_AXIS, Y_AXIS, NEG_Z_AXIS, Z_AXIS, Y_AXIS, Y_AXIS};

} // namespace

int faceOf(const Vec3f& point) {
    float x = point.x(), y = point.y(), z = point.z();
    float m = std::fabs(x) >= std::fabs(y) ? std::fabs(x) : std::fabs(y);
    if (std::fabs(z) > m)
        m = std::fabs(z);
    // Exact comparisons against the very values m came from, so one case always matches.
    if (x == m)
        return 0;
    if (-x == m)
        return 1;
    if (y == m)
        return 2;
    if (-y == m)
        return 3;
    if (z == m)
        return 4;
    if (-z == m)
        return 5;
    return 0;
}

const Vec3f& faceNormal(int face) {
    if (face < 0 || face > 5)
        return FACE_NORMALS[0];
    return FACE_NORMALS[face];
}

void faceOrientation(int face, Vec3f& axisOut, float& angleOut) {
    if (face >= 0 && face < 4) {
        axisOut = cross(Z_AXIS, faceNormal(face));
        angleOut = 90.0f;
    } else if (face == 4) {
        axisOut = Y_AXIS;
        angleOut = 0.0f;
    } else if (face == 5) {
        axisOut = Y_AXIS;
        angleOut = 180.0f;
    }
}

void faceOrientationMatrix(Matrix4f& matrixOut, int face) {
    Vec3f axis;
    float angle = 0.0f;
    faceOrientation(face, axis, angle);
    matrixOut = Matrix4f::rotation(static_cast<float>(angle * PI / 180), axis);
}

Matrix4f faceOrientationMatrix(int face) {
    Matrix4f m;
    faceOrientationMatrix(m, face);
    return m;
}

Vec3f toFaceLocal(const Vec3f& v, int face) {
    int f = (face >= 0 && face < 6) ? face : 0;
    return Vec3f(v.dot(FACE_RIGHT[f]), v.dot(FACE_FORWARD[f]), v.dot(FACE_NORMALS[f]));
}
