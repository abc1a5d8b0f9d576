#pragma once

#include "math/matrix.h"
#include "math/vectors.h"

// The six faces of the cube: 0 +X, 1 -X, 2 +Y, 3 -Y, 4 +Z, 5 -Z.
// Models are built with up along local +Z and forward along local +Y; a face's orientation
// rotation stands such a model upright on that face.

inline int faceAxis(int face) {
    return face >> 1;
} // 0 = X, 1 = Y, 2 = Z
inline int faceSign(int face) {
    return (face & 1) ? -1 : 1;
} // +1 for even faces
inline int faceIndex(int axis, bool positive) {
    return (axis << 1) + (positive ? 0 : 1);
}

// The face whose half-space the point is in most: the signed index of its dominant axis, 0 to
// 5 for +x, -x, +y, -y, +z, -z. Ties go to the earlier axis (x, then y, then z); the centre
// itself is face 0. Applied to a direction, this is its direction index.
int faceOf(const Vec3f& point);

// Unit outward normal of the face; any value outside 0..5 yields +X.
const Vec3f& faceNormal(int face);

// Axis and angle (degrees) of the rotation that maps local +Z onto the face normal.
// A face outside 0..5 leaves both outputs unchanged.
void faceOrientation(int face, Vec3f& axisOut, float& angleOut);
void faceOrientationMatrix(Matrix4f& matrixOut, int face);
Matrix4f faceOrientationMatrix(int face);

// (dot(v, right), dot(v, forward), dot(v, normal)) with the face's local axes.
Vec3f toFaceLocal(const Vec3f& v, int face);

// The face that `face` becomes after a quarter turn about `axis` (direction 0 = positive
// angles). The two faces on the axis itself stay.
int rotateFace(int axis, int direction, int face);
