#pragma once

#include <ostream>

#include "math/matrix.h"
#include "math/vectors.h"

// A direction component at most this large counts as parallel to a slab.
constexpr float PARALLEL_EPSILON = 1e-05f;

// Projection of points from the point light onto the plane dot(n, p) + d = 0. The result has
// a w row, so it is meant for OpenGL's division by w (transformPoint does not divide).
void shadowMatrix(const Vec3f& n, const Vec3f& light, float d, Matrix4f& out);

// The face that `face` becomes after a quarter turn about `axis` (direction 0 = positive
// angles). The two faces on the axis itself stay.
int rotateFace(int axis, int direction, int face);

// Hue in degrees (x, below 720), saturation (y) and value (z) to RGB.
Vec3f hsvToRgb(const Vec3f& hsv);

// Each value followed by one blank.
void writeFloats(std::ostream& out, const float* values, int count);

// Slab test of a point that starts at `origin` and moves by `direction` per second against the
// box centred at origin + rel with half sizes `halfSize`.
// Returns 0 for a miss; 2 when the path enters the box, at outTime (> 0) through outFace;
// 1 when the start point is already inside (touching counts as inside), with the exit time.
int intersectBox(const Vec3f& origin, const Vec3f& rel, const Vec3f& direction,
                 const Vec3f& halfSize, float& outTime, int& outFace);

// intersectBox without the face; true for results 1 and 2.
bool rayHitsBox(const Vec3f& origin, const Vec3f& rel, const Vec3f& direction,
                const Vec3f& halfSize, float& outTime);

// -1 if r squared is greater than the squared length of v, 1 if smaller, 0 if equal.
int compareLength(const Vec3f& v, float r);
