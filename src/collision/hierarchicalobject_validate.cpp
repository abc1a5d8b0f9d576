#include <cmath>
#include <cstdio>

#include "collision/hierarchicalobject_internal.h"

namespace {
bool fail(const char* why, const HierarchyNode& node) {
    fprintf(stderr, "HierarchicalObject::validate: %s (node at depth %d)\n", why, node.depth);
    return false;
}

bool finiteVec(const Vec3f& v) {
    return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z());
}

bool sameVec(const Vec3f& a, const Vec3f& b) {
    return a.x() == b.x() && a.y() == b.y() && a.z() == b.z();
}
} // namespace

bool HierarchicalObject::finiteTriangle(size_t t) const {
    return finiteVec(vertices[t]) && finiteVec(vertices[t + 1]) && finiteVec(vertices[t + 2]);
}

bool HierarchicalObject::validate() const {
    if (!root) {
        fprintf(stderr, "HierarchicalObject::validate: no root\n");
        return false;
    }
    if (vertices.size() % 3 != 0 || cornerOffsets.size() != vertices.size())
        return fail("vertices not in threes, or not one corner offset each", *root);
    if (root->depth != 0 || root->triangles.size() != vertices.size() / 3)
        return fail("the root must be at depth 0 and hold every triangle", *root);
    if (root->extremeVertices.size() != (vertices.empty() ? 0u : 6u))
        return fail("the root must name six extreme vertices", *root);
    std::vector<bool> reached(vertices.size() / 3, false);
    int nodes = 0;
    if (!validateNode(*root, reached, nodes))
        return false;
    if (nodes != numNodes)
        return fail("numNodes does not count the nodes", *root);
    // A triangle with a coordinate that is not a number goes to neither half of a split.
    for (size_t t = 0; t < reached.size(); ++t)
        if (!reached[t] && finiteTriangle(3 * t))
            return fail("a triangle is in no leaf", *root);
    return true;
}

bool HierarchicalObject::validateNode(const HierarchyNode& node, std::vector<bool>& reached,
                                      int& nodes) const {
    ++nodes;
    if (node.depth > MAX_DEPTH || node.depth > maxDepth)
        return fail("too deep", node);
    for (int t : node.triangles) {
        if (t % 3 != 0 || t < 0 || t >= static_cast<int>(vertices.size()))
            return fail("a triangle index that is no triangle", node);
        for (int corner = 0; corner < 3; ++corner)
            if (cornerOffsets[t + corner].length() > node.reach)
                return fail("a corner reaches further than the node allows for", node);
    }
    bool shouldBeLeaf =
        static_cast<int>(node.triangles.size()) < LEAF_TRIANGLES || node.depth >= MAX_DEPTH;
    if (node.isLeaf != shouldBeLeaf || node.isLeaf != !node.left || node.isLeaf != !node.right)
        return fail("leaf flag, children and the leaf rules disagree", node);
    if (node.isLeaf) {
        for (int t : node.triangles)
            reached[t / 3] = true;
        return true;
    }
    int axis = node.depth % 3;
    float s = node.center[axis];
    for (const HierarchyNode* child : {node.left.get(), node.right.get()}) {
        Vec3f half = node.radius;
        half[axis] /= 2;
        Vec3f centre = node.center;
        centre[axis] += child == node.left.get() ? -half[axis] : half[axis];
        if (child->depth != node.depth + 1 || !sameVec(child->radius, half) ||
            !sameVec(child->center, centre))
            return fail("a child is not its half of the parent", *child);
    }
    // Each child holds, in the parent's order, exactly the triangles the split sends it.
    std::vector<int> expectLeft, expectRight;
    for (int t : node.triangles) {
        bool below = false, atOrAbove = false;
        for (int corner = 0; corner < 3; ++corner) {
            below = below || vertices[t + corner][axis] < s;
            atOrAbove = atOrAbove || vertices[t + corner][axis] >= s;
        }
        if (below)
            expectLeft.push_back(t);
        if (atOrAbove)
            expectRight.push_back(t);
    }
    if (node.left->triangles != expectLeft || node.right->triangles != expectRight)
        return fail("a child does not hold the triangles of its half", node);
    return validateNode(*node.left, reached, nodes) && validateNode(*node.right, reached, nodes);
}
