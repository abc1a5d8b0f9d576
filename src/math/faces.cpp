#include "math/faces.h"

#include <cmath>

#include "math/constants.h"

namespace {

const Vec3f FACE_NORMALS[6] = {X_AXIS, NEG_X_AXIS, Y_AXIS, NEG_Y_AXIS, Z_AXIS, NEG_Z_AXIS};

// Face-local "right" (+X) and "forward" (+Y) of each face.
const Vec3f FACE_RIGHT[6] = {NEG_Z_AXIS, Z_AXIS, X_AXIS, X_AXIS, X_AXIS, NEG_X_AXIS};
const Vec3f FACE_FORWARD[6] = {Y_AXIS, Y_AXIS, NEG_Z_AXIS, Z_AXIS, Y_AXIS, Y_AXIS};

// The four faces around each axis, in the order a positive quarter turn carries them.
constexpr int FACE_CYCLES[3][4] = {{2, 4, 3, 5}, {4, 0, 5, 1}, {0, 2, 1, 3}};

} // namespace

int faceOf(const Vec3f& point) {
    int axis = 0;
    float largest = std::fabs(point.x());
    if (std::fabs(point.y()) > largest) {
        axis = 1;
        largest = std::fabs(point.y());
    }
    if (std::fabs(point.z()) > largest)
        axis = 2;
    return faceIndex(axis, !(point[axis] < 0.0f));
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

int rotateFace(int axis, int direction, int face) {
    if (axis < 0 || axis > 2)
        return face;
    const int* cycle = FACE_CYCLES[axis];
    for (int i = 0; i < 4; ++i)
        if (cycle[i] == face)
            return cycle[(i + (direction == 0 ? 1 : 3)) % 4];
    return face;
}
