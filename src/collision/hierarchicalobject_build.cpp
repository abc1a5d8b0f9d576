#include <cmath>
#include <cstdio>

#include "assets/glm.h"
#include "collision/axisalignedboundingbox.h"
#include "collision/hierarchicalobject_internal.h"
#include "math/constants.h"

int HierarchicalObject::maxDepth = 0;

namespace {

// The rotation that turns the model's +z onto the normal of the face the position lies on.
Matrix4f initialRotation(const Vec3f& position) {
    int d = directionIndex(position);
    if (d == 4)
        return Matrix4f::identity();
    if (d == 5)
        return Matrix4f::rotation(static_cast<float>(PI), Y_AXIS);
    Vec3f axisOfRotation = cross(Z_AXIS, faceNormal(d));
    return Matrix4f::rotation(static_cast<float>(PI / 2), axisOfRotation);
}

// Where a corner moves when both of its edges, with outward normals e and f, move out by one.
Vec3f cornerOffset(const Vec3f& e, const Vec3f& f) {
    float denominator = e.dot(f) + 1.0f;
    // Only antiparallel edges (a flat sliver) give 0; such a corner does not grow.
    if (denominator <= 0.0f)
        return Vec3f();
    return (e + f) * (1.0f / denominator);
}

} // namespace

HierarchicalObject::HierarchicalObject(const Vec3f& position, World*, GlmModel* model)
    : model(model) {
    assert(model);
    maxDepth = 0;
    rotation = Matrix4f::identity();
    inverseInitRotation = (Matrix4f::identity() * initialRotation(position)).transpose();
    translation = Matrix4f::translation(-position.x(), -position.y(), -position.z());
    extractTriangles();
    computeCornerOffsets();
    makeRoot();
    build(*root);
    testedInPass.assign(vertices.size() / 3, 0);
    printf("\nmaxDepth: %d\n", maxDepth);
    printf("triangles: %d,  numNodes: %d,  numSame: %d\n", triangleCount(), numNodes, numSame);
}

void HierarchicalObject::extractTriangles() {
    for (const GlmGroup* group = model->groups; group; group = group->next) {
        printf("group numT:%d\n", group->trianglecount);
        for (unsigned int i = 0; i < group->trianglecount; ++i) {
            printf("triangle: %d\n", i);
            assert(group->triangles[i] < model->trianglecount);
            const GlmTriangle& triangle = model->triangles[group->triangles[i]];
            for (int corner = 0; corner < 3; ++corner) {
                unsigned int index = triangle.vertexindices[corner];
                assert(index >= 1 && index <= model->vertexcount);
                const float* v = &model->vertices[3 * index];
                printf("\tvertex:%d\t", corner);
                printf("%f %f %f\n", v[0], v[1], v[2]);
                vertices.emplace_back(v[0], v[1], v[2]);
            }
        }
    }
}

void HierarchicalObject::computeCornerOffsets() {
    cornerOffsets.reserve(vertices.size());
    for (size_t t = 0; t + 2 < vertices.size(); t += 3) {
        const Vec3f& A = vertices[t];
        const Vec3f& B = vertices[t + 1];
        const Vec3f& C = vertices[t + 2];
        Vec3f n = cross(C - B, B - A);
        // Outward normals of the edges AB, BC and CA within the triangle's plane.
        Vec3f a = cross(A - B, n);
        Vec3f b = cross(B - C, n);
        Vec3f c = cross(C - A, n);
        a.normalize();
        b.normalize();
        c.normalize();
        cornerOffsets.push_back(cornerOffset(a, c));
        cornerOffsets.push_back(cornerOffset(a, b));
        cornerOffsets.push_back(cornerOffset(b, c));
    }
}

void HierarchicalObject::makeRoot() {
    root = std::make_unique<HierarchyNode>();
    for (int t = 0; t < static_cast<int>(vertices.size()); t += 3)
        root->triangles.push_back(t);
    root->depth = 0;
    numNodes = 0;
    numSame = 0;
    root->radius = Vec3f(0.01f, 0.01f, 0.01f);
    if (vertices.empty())
        return; // nothing to collide with: a small empty leaf at the model's origin
    for (int axis = 0; axis < 3; ++axis) {
        int smallest = 0, largest = 0;
        for (int v = 0; v < static_cast<int>(vertices.size()); ++v) {
            if (vertices[v][axis] < vertices[smallest][axis])
                smallest = v;
            if (vertices[v][axis] > vertices[largest][axis])
                largest = v;
        }
        root->extremeVertices.push_back(smallest);
        root->extremeVertices.push_back(largest);
    }
    for (int axis = 0; axis < 3; ++axis) {
        float lo = vertices[root->extremeVertices[0]][axis];
        float hi = lo;
        for (int v : root->extremeVertices) {
            lo = std::fmin(lo, vertices[v][axis]);
            hi = std::fmax(hi, vertices[v][axis]);
        }
        root->center[axis] = (lo + hi) / 2;
        root->radius[axis] = std::fabs(lo - root->center[axis]) + 0.01f;
    }
}

void HierarchicalObject::build(HierarchyNode& node) {
    ++numNodes;
    if (node.depth > maxDepth)
        maxDepth = node.depth;
    for (int t : node.triangles)
        for (int corner = 0; corner < 3; ++corner)
            node.reach = std::fmax(node.reach, cornerOffsets[t + corner].length());
    node.isLeaf =
        static_cast<int>(node.triangles.size()) < LEAF_TRIANGLES || node.depth >= MAX_DEPTH;
    if (node.isLeaf)
        return;
    int axis = node.depth % 3;
    float s = node.center[axis];
    node.left = std::make_unique<HierarchyNode>();
    node.right = std::make_unique<HierarchyNode>();
    for (HierarchyNode* child : {node.left.get(), node.right.get()}) {
        child->depth = node.depth + 1;
        child->center = node.center;
        child->radius = node.radius;
        child->radius[axis] = node.radius[axis] / 2;
    }
    node.left->center[axis] -= node.left->radius[axis];
    node.right->center[axis] += node.right->radius[axis];
    for (int t : node.triangles) {
        bool below = false, atOrAbove = false;
        for (int corner = 0; corner < 3; ++corner) {
            float coordinate = vertices[t + corner][axis];
            below = below || coordinate < s;
            atOrAbove = atOrAbove || coordinate >= s;
        }
        if (below)
            node.left->triangles.push_back(t);
        if (atOrAbove)
            node.right->triangles.push_back(t);
    }
    build(*node.left);
    build(*node.right);
}

void HierarchicalObject::rotate(const Matrix4f& matrix) {
    printf("\nrotation\n");
    rotation = matrix * rotation;
}
