#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "math/matrix.h"
#include "math/vectors.h"

struct GlmModel;
// The game world, handed through by the obstacle; never read here.
class World;

// One node of the box tree over an obstacle's triangles, in model space. Owns its children.
struct HierarchyNode {
    bool isLeaf = false;
    // Root only: for x, y, z in turn the vertex index of the smallest and of the largest
    // coordinate.
    std::vector<int> extremeVertices;
    std::unique_ptr<HierarchyNode> left; // coordinates below the split; null in a leaf
    std::unique_ptr<HierarchyNode> right;
    Vec3f center; // of the node's box
    Vec3f radius; // half size of the box per axis
    // Triangle indices (multiples of 3) of the triangles with a vertex in this node's half of
    // each split above it; a triangle straddling a split is in both halves.
    std::vector<int> triangles;
    int depth = 0; // 0 at the root
    // The longest corner offset among the node's triangles: a triangle grown by d reaches at
    // most d * reach beyond itself.
    float reach = 0;
};

// A moving tank or shell as the mesh query sees it: a sphere whose centre moved in a straight
// line during the step that just ended.
struct SweptSphere {
    Vec3f position; // world, end of the step
    Vec3f velocity; // world units per second
    Vec3f lift;     // added to the start point: up * half height for a tank, zero for a shell
    float radius = 0;
};

// The triangles of an obstacle's mesh in a tree of axis-aligned boxes, so that a mover can
// collide with the mesh itself rather than with the obstacle's bounding box. Built once from
// the model; a cube-layer turn only updates `rotation`, and each query brings the mover into
// the mesh's own frame. Owns its vertex copies and its nodes; the model is not owned.
class HierarchicalObject {
public:
    // Grows the triangles' corners in their planes by this much beyond the mover's radius.
    static constexpr float GROWTH_MARGIN = 0.1f; // world units
    static constexpr int MAX_DEPTH = 11;         // nodes this deep are leaves
    static constexpr int LEAF_TRIANGLES = 5;     // nodes with fewer triangles are leaves

    // `position` is the obstacle's world position on its face; `model` its loaded and scaled
    // mesh, which must outlive this object. Prints every triangle and the build statistics.
    HierarchicalObject(const Vec3f& position, World* world, GlmModel* model);
    HierarchicalObject(const HierarchicalObject&) = delete;
    HierarchicalObject& operator=(const HierarchicalObject&) = delete;

    // Takes on one more rotation about the cube's centre that a layer turn gave the obstacle.
    void rotate(const Matrix4f& matrix);

    // Whether the sphere's path during the step of dt seconds that just ended touches the mesh.
    // If so, outTime is the seconds from the start of the step to the contact and outNormal the
    // unit normal of the touched triangle in world space. A sphere at rest never touches and
    // leaves both outputs alone. Prints its search on standard output.
    bool findCollision(const SweptSphere& mover, float dt, float& outTime, Vec3f& outNormal);

    int triangleCount() const { return static_cast<int>(vertices.size() / 3); }

    // Checks the tree: every triangle in some leaf, children exactly the halves of their
    // parent holding exactly the triangles the split rule sends them, leaves where the rules
    // say, the depth limit, the node count, indices multiples of 3, one corner offset per
    // vertex. Prints the first fault and returns false.
    bool validate() const;

    // Three consecutive entries per triangle, model space; a triangle's index is the position
    // of its first vertex.
    std::vector<Vec3f> vertices;
    // One per vertex: moving that corner by d times its offset moves both of its edges outward
    // by d within the triangle's plane.
    std::vector<Vec3f> cornerOffsets;
    std::unique_ptr<HierarchyNode> root;
    GlmModel* model;              // the mesh the triangles came from; not owned
    Matrix4f translation;         // by minus the obstacle's position at creation
    Matrix4f inverseInitRotation; // undoes the rotation that stood the model on its face
    Matrix4f rotation;            // every layer rotation applied since creation
    int numNodes = 0;
    int numSame = 0; // printed with the statistics; nothing counts it

    // The largest node depth of the most recent build.
    static int maxDepth;

private:
    void extractTriangles();
    void computeCornerOffsets();
    void makeRoot();
    void build(HierarchyNode& node);

    // The ray from p along direction (model space, parameters in seconds) against one
    // triangle grown by r; records a hit below `limit` that improves on `best`.
    bool testTriangle(int tIndex, float r, const Vec3f& p, const Vec3f& direction, float limit,
                      float& best, Vec3f& outNormal) const;
    bool queryNode(const HierarchyNode& node, float r, const Vec3f& p, const Vec3f& direction,
                   float dt, float& outTime, Vec3f& outNormal);
    Vec3f worldNormal(const Vec3f& modelNormal) const;

    bool finiteTriangle(size_t tIndex) const;
    bool validateNode(const HierarchyNode& node, std::vector<bool>& reached, int& nodes) const;

    // Per triangle, the hierarchy pass that last tested it. A straddling triangle sits in
    // several leaves; its first test in a pass already counted it, hit or miss, so a triangle
    // met again in the same pass is skipped.
    std::vector<unsigned> testedInPass;
    unsigned pass = 0;
};
