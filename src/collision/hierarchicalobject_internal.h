#pragma once

#include <cassert>

#include "collision/hierarchicalobject.h"

// Shared by the build, the query and the checks of HierarchicalObject.
namespace hierarchy {

// clang-format off
inline void checkTriangleIndex(int tIndex) {
    assert((tIndex%3) == 0);
    (void)tIndex;
}
// clang-format on

// Ray from `origin` along `direction` against the triangle a, b, c (either winding). On a hit,
// `u` is the ray parameter of the crossing, possibly negative: the callers reject that.
// Edge-on rays (|det| below 1e-6) and degenerate triangles miss.
bool rayTriangle(const Vec3f& origin, const Vec3f& direction, const Vec3f& a, const Vec3f& b,
                 const Vec3f& c, float& u);

// Whether the ray comes within reach of the node's triangles grown by r, and when: 0 for a
// start inside the box grown by everything they can reach, else the time the path enters it.
bool nodeBoxTest(const HierarchyNode& node, float r, const Vec3f& p, const Vec3f& direction,
                 float& time);

} // namespace hierarchy
