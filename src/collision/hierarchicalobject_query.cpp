#include <algorithm>
#include <cmath>
#include <cstdio>

#include "collision/hierarchicalobject_internal.h"
#include "collision/raybox.h"

namespace {
// A mover slower than this (world units per second) never touches a mesh.
constexpr float REST_SPEED = 1e-7f;
// Unreached: larger than any step.
constexpr float NO_HIT = 99;
// A leaf accepts a contact this long after the end of the step (seconds).
constexpr float LEAF_TOLERANCE = 0.0001f;
} // namespace

namespace hierarchy {

bool rayTriangle(const Vec3f& origin, const Vec3f& direction, const Vec3f& a, const Vec3f& b,
                 const Vec3f& c, float& u) {
    Vec3f e1 = b - a;
    Vec3f e2 = c - a;
    Vec3f P = cross(direction, e2);
    float det = e1.dot(P);
    if (det > -0.000001f && det < 0.000001f)
        return false;
    Vec3f T = origin - a;
    float alpha = T.dot(P) / det;
    if (alpha < 0)
        return false;
    Vec3f Q = cross(T, e1);
    float beta = direction.dot(Q) / det;
    if (beta < 0 || alpha + beta > 1)
        return false;
    u = e2.dot(Q) / det;
    return true;
}

bool nodeBoxTest(const HierarchyNode& node, float r, const Vec3f& p, const Vec3f& direction,
                 float& time) {
    Vec3f rel = node.center - p;
    // Strictly inside: a point on the box's side is tested as outside.
    if (std::fabs(rel.x()) < node.radius.x() && std::fabs(rel.y()) < node.radius.y() &&
        std::fabs(rel.z()) < node.radius.z()) {
        time = 0;
        return true;
    }
    // Every point of a grown triangle lies within this distance of the triangle, and every
    // point of a triangle lies in the box of a leaf holding it: a path that misses this box
    // misses every triangle below.
    float margin = r + (r + HierarchicalObject::GROWTH_MARGIN) * node.reach;
    int face = 0;
    int result =
        intersectBox(p, rel, direction, node.radius + Vec3f(margin, margin, margin), time, face);
    // A start already within reach of the box meets it at once. (Its exit time, which may
    // lie beyond the step, would hide contacts right beside the mover.)
    if (result == 1)
        time = 0;
    return result != 0;
}

} // namespace hierarchy

using hierarchy::nodeBoxTest;

Vec3f HierarchicalObject::worldNormal(const Vec3f& modelNormal) const {
    Vec3f n = modelNormal;
    inverseInitRotation.transpose().transformPoint(n);
    rotation.transformPoint(n);
    return n;
}

// The triangle grown by r + GROWTH_MARGIN in its plane and tried at -r, 0 and +r along its
// normal: a cheap stand-in for the triangle swept by the sphere.
bool HierarchicalObject::testTriangle(int tIndex, float r, const Vec3f& p, const Vec3f& direction,
                                      float limit, float& best, Vec3f& outNormal) const {
    hierarchy::checkTriangleIndex(tIndex);
    Vec3f A = vertices[tIndex];
    Vec3f B = vertices[tIndex + 1];
    Vec3f C = vertices[tIndex + 2];
    Vec3f m = cross(B - A, C - B);
    m.normalize();
    // A mover touches only the side it moves towards. The grown copies of the far side of a
    // thin part, or of a triangle the mover is leaving, would otherwise come first and give a
    // normal that turns the mover into the mesh.
    if (!(direction.dot(m) < 0))
        return false;
    float grow = r + GROWTH_MARGIN;
    A += cornerOffsets[tIndex] * grow;
    B += cornerOffsets[tIndex + 1] * grow;
    C += cornerOffsets[tIndex + 2] * grow;
    bool hit = false;
    for (int k = -1; k <= 1; ++k) {
        Vec3f shift = m * (static_cast<float>(k) * r);
        float u = 0;
        if (!hierarchy::rayTriangle(p, direction, A + shift, B + shift, C + shift, u))
            continue;
        if (u < 0 || !(u < limit))
            continue;
        hit = true;
        if (u < best) {
            best = u;
            outNormal = worldNormal(m);
        }
    }
    return hit;
}

bool HierarchicalObject::findCollision(const SweptSphere& mover, float dt, float& outTime,
                                       Vec3f& outNormal) {
    if (mover.velocity.length() < REST_SPEED)
        return false;
    // Into the mesh's frame: undo the layer turns, then the placement on the face.
    Matrix4f unturn = rotation.transpose();
    Vec3f direction = mover.velocity;
    (inverseInitRotation * unturn).transformPoint(direction);
    Vec3f p = mover.position - mover.velocity * dt + mover.lift;
    (inverseInitRotation * translation * unturn).transformPoint(p);
    float r = mover.radius;

    float best = NO_HIT;
    bool hit = false;
    int hitTriangle = 0;
    for (int tIndex = 0; tIndex < static_cast<int>(vertices.size()); tIndex += 3) {
        float before = best;
        hit = testTriangle(tIndex, r, p, direction, dt, best, outNormal) || hit;
        if (best < before)
            hitTriangle = tIndex;
    }
    outTime = best;
    if (hit)
        printf("\n intersects %d  ", hitTriangle);
    printf("\n");

    // A fresh pass number; on wrapping round, every old mark must go.
    if (++pass == 0) {
        std::fill(testedInPass.begin(), testedInPass.end(), 0u);
        pass = 1;
    }
    float rootTime = 0, queryTime = 0;
    if (nodeBoxTest(*root, r, p, direction, rootTime) &&
        queryNode(*root, r, p, direction, dt, queryTime, outNormal)) {
        printf("=");
        outTime = queryTime;
        return true;
    }
    return false;
}

bool HierarchicalObject::queryNode(const HierarchyNode& node, float r, const Vec3f& p,
                                   const Vec3f& direction, float dt, float& outTime,
                                   Vec3f& outNormal) {
    if (node.isLeaf) {
        printf("p");
        float best = NO_HIT;
        bool hit = false;
        for (int tIndex : node.triangles) {
            printf(" %d  ", tIndex);
            hierarchy::checkTriangleIndex(tIndex);
            unsigned& tested = testedInPass[tIndex / 3];
            if (tested == pass)
                continue;
            tested = pass;
            hit =
                testTriangle(tIndex, r, p, direction, dt + LEAF_TOLERANCE, best, outNormal) || hit;
        }
        outTime = best;
        return hit;
    }
    float tl = 0, tr = 0;
    bool hitLeft = nodeBoxTest(*node.left, r, p, direction, tl) && !(tl > dt);
    bool hitRight = nodeBoxTest(*node.right, r, p, direction, tr) && !(tr > dt);
    if (!hitLeft && !hitRight)
        return false;
    bool rightFirst = hitRight && (!hitLeft || tr < tl);
    printf(rightFirst ? "R" : "L ");
    const HierarchyNode& first = rightFirst ? *node.right : *node.left;
    const HierarchyNode& second = rightFirst ? *node.left : *node.right;
    bool secondHit = rightFirst ? hitLeft : hitRight;
    float secondBox = rightFirst ? tl : tr;
    if (!queryNode(first, r, p, direction, dt, outTime, outNormal))
        return secondHit && queryNode(second, r, p, direction, dt, outTime, outNormal);
    // The other child may still hold an earlier contact if the path reaches its box first;
    // the later one would let a fast mover through the surface it meets first.
    float time = 0;
    Vec3f normal;
    if (secondHit && secondBox < outTime && queryNode(second, r, p, direction, dt, time, normal) &&
        time < outTime) {
        outTime = time;
        outNormal = normal;
    }
    return true;
}
