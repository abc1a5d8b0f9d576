#pragma once

#include "math/vectors.h"

// The slab test of a moving point against an axis-aligned box, and the length comparison the
// blast test uses. Shared by the collision response, the editor's picking and the mesh query.

// A direction component at most this large counts as parallel to a slab.
constexpr float PARALLEL_EPSILON = 1e-05f;

// A point starts at `origin`, moves by `direction` per second (times are in the direction's
// units), and meets the box centred at origin + rel with half sizes `halfSize`. Only `rel`
// places the box: `origin` itself is not read.
// Results:
//   0: a miss: the path never meets the box, or meets it only before it starts (t < 0);
//   1: the start point is already inside the box (touching a side counts as inside):
//      outTime is the exit time and outFace the face the path leaves through;
//   2: the path enters the box from outside: outTime (> 0) is the entry time and outFace
//      the face entered.
// Faces are numbered like the cube's: 0 +X, 1 -X, 2 +Y, 3 -Y, 4 +Z, 5 -Z.
int intersectBox(const Vec3f& origin, const Vec3f& rel, const Vec3f& direction,
                 const Vec3f& halfSize, float& outTime, int& outFace);

// intersectBox without the face; true for results 1 and 2.
bool rayHitsBox(const Vec3f& origin, const Vec3f& rel, const Vec3f& direction,
                const Vec3f& halfSize, float& outTime);

// -1 if r squared is greater than the squared length of v, 1 if smaller, 0 if equal.
int compareLength(const Vec3f& v, float r);
