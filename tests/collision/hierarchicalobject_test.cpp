#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "assets/glm.h"
#include "collision/hierarchicalobject.h"
#include "math/constants.h"
#include "math/faces.h"
#include "math/randomsource.h"
#include "support/vecexpect.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

struct ModelDeleter {
    void operator()(GlmModel* model) const { glmFreeModel(model); }
};
using ModelPtr = std::unique_ptr<GlmModel, ModelDeleter>;

ModelPtr modelFromText(const std::string& obj) {
    GlmError error;
    GlmFileSource none = [](const std::string&, std::string&) { return false; };
    ModelPtr model(glmReadOBJMemory("models/test.obj", obj.data(), obj.size(), none, error));
    EXPECT_TRUE(model) << error.message;
    return model;
}

// OBJ text for triangles given as nine coordinates each.
std::string trianglesObj(const std::vector<std::vector<float>>& triangles) {
    std::ostringstream obj;
    for (const std::vector<float>& t : triangles)
        for (int c = 0; c < 3; ++c)
            obj << "v " << t[3 * c] << " " << t[3 * c + 1] << " " << t[3 * c + 2] << "\n";
    for (size_t i = 0; i < triangles.size(); ++i)
        obj << "f " << 3 * i + 1 << " " << 3 * i + 2 << " " << 3 * i + 3 << "\n";
    return obj.str();
}

// A mesh standing on face 4 at height 10: model space is world space less (0, 0, 10).
struct Mesh {
    explicit Mesh(const std::string& obj, const Vec3f& position = Vec3f(0, 0, 10))
        : model(modelFromText(obj)) {
        CaptureStdout();
        hierarchy = std::make_unique<HierarchicalObject>(position, nullptr, model.get());
        buildOutput = GetCapturedStdout();
    }
    // The query with its printed trace.
    bool query(const SweptSphere& mover, float dt, float& time, Vec3f& normal) {
        CaptureStdout();
        bool hit = hierarchy->findCollision(mover, dt, time, normal);
        trace = GetCapturedStdout();
        return hit;
    }
    ModelPtr model;
    std::unique_ptr<HierarchicalObject> hierarchy;
    std::string buildOutput, trace;
};

TEST(HierarchicalObject, SmallMeshIsOneLeafAndPrintsEveryGroupTriangleAndVertex) {
    // Groups are walked newest first: " second", " first", then the empty "default".
    Mesh mesh("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nv 2 3 4\n"
              "g first\nf 1 2 3\ng second\nf 1 2 4\nf 2 3 4\nf 5 1 2\n");
    HierarchicalObject& h = *mesh.hierarchy;
    std::string first = "group numT:3\ntriangle: 0\n\tvertex:0\t0.000000 0.000000 0.000000\n"
                        "\tvertex:1\t1.000000 0.000000 0.000000\n\tvertex:2\t";
    EXPECT_EQ(mesh.buildOutput.substr(0, first.size()), first);
    EXPECT_NE(mesh.buildOutput.find("\ngroup numT:1\ntriangle: 0\n"), std::string::npos);
    EXPECT_NE(mesh.buildOutput.find("\ngroup numT:0\n\nmaxDepth: 0\n"), std::string::npos);
    std::string statistics = "\nmaxDepth: 0\ntriangles: 4,  numNodes: 1,  numSame: 0\n";
    EXPECT_EQ(mesh.buildOutput.substr(mesh.buildOutput.size() - statistics.size()), statistics);

    EXPECT_EQ(h.numNodes, 1);
    EXPECT_EQ(HierarchicalObject::maxDepth, 0);
    EXPECT_TRUE(h.root->isLeaf);
    EXPECT_EQ(h.root->triangles, (std::vector<int>{0, 3, 6, 9}));
    // Vertex order is group order: the fourth triangle of the file comes third.
    expectVecNear(h.vertices[6], Vec3f(2, 3, 4));
    EXPECT_EQ(h.root->extremeVertices, (std::vector<int>{0, 6, 0, 6, 0, 6}));
    expectVecNear(h.root->center, Vec3f(1, 1.5f, 2));
    expectVecNear(h.root->radius, Vec3f(1.01f, 1.51f, 2.01f));
    EXPECT_TRUE(h.validate());
}

TEST(HierarchicalObject, SplitsAtMidpointsWithStraddlersInBothHalvesDownToTheDepthLimit) {
    // x from 0 to 10, split at 5: two triangles left, two right, one across the split.
    std::vector<std::vector<float>> tris = {{0, 0, 0, 1, 0, 0, 0, 1, 0},
                                            {1, 1, 0, 2, 1, 0, 1, 2, 0},
                                            {8, 0, 0, 9, 0, 0, 8, 1, 0},
                                            {9, 1, 0, 10, 1, 0, 9, 2, 0},
                                            {4, 0, 1, 6, 0, 1, 4, 1, 1}};
    Mesh split(trianglesObj(tris));
    const HierarchyNode& root = *split.hierarchy->root;
    ASSERT_FALSE(root.isLeaf);
    EXPECT_EQ(root.left->triangles, (std::vector<int>{0, 3, 12}));
    EXPECT_EQ(root.right->triangles, (std::vector<int>{6, 9, 12}));
    EXPECT_FLOAT_EQ(root.left->radius.x(), root.radius.x() / 2);
    EXPECT_FLOAT_EQ(root.right->center.x(), root.center.x() + root.radius.x() / 2);
    EXPECT_TRUE(split.hierarchy->validate());
    split.hierarchy->root->left->triangles.pop_back(); // the straddler lost from one half
    EXPECT_FALSE(split.hierarchy->validate());

    // Twenty triangles shrunk to one point can never be told apart: one chain of splits to
    // depth 11, each leaving an empty left half.
    Mesh clustered(trianglesObj(std::vector<std::vector<float>>(20, std::vector<float>(9, 1.0f))));
    EXPECT_EQ(HierarchicalObject::maxDepth, HierarchicalObject::MAX_DEPTH);
    EXPECT_EQ(clustered.hierarchy->numNodes, 1 + 2 * HierarchicalObject::MAX_DEPTH);
    EXPECT_NE(clustered.buildOutput.find("\nmaxDepth: 11\ntriangles: 20,  numNodes: 23,  "),
              std::string::npos);
    EXPECT_TRUE(clustered.hierarchy->validate());
}

TEST(HierarchicalObject, AContactAtTheEndOfTheStepCountsInALeafButNotInTheCheckPass) {
    Mesh mesh(trianglesObj({{0, 0, 0, 1, 0, 0, 0, 1, 0}}));
    float time = -1;
    Vec3f normal;
    // A point falling 1 unit per second onto the triangle, 1 unit above it: contact at 1 s.
    SweptSphere falling{Vec3f(0.2f, 0.2f, 10), Vec3f(0, 0, -1), Vec3f(), 0};
    EXPECT_TRUE(mesh.query(falling, 1, time, normal));
    EXPECT_EQ(mesh.trace, "\np 0  =");
    EXPECT_EQ(time, 1.0f);
    expectVecNear(normal, Vec3f(0, 0, 1));

    falling.position = Vec3f(0.2f, 0.2f, 9.5f); // contact half way through
    EXPECT_TRUE(mesh.query(falling, 1, time, normal));
    EXPECT_EQ(mesh.trace, "\n intersects 0  \np 0  =");
    EXPECT_FLOAT_EQ(time, 0.5f);

    falling.position = Vec3f(0.2f, 0.2f, 10.01f); // contact 10 ms after the step: too late
    EXPECT_FALSE(mesh.query(falling, 0.99f, time, normal));
    EXPECT_EQ(mesh.trace, "\np 0  ");
    EXPECT_EQ(time, 99.0f); // the check pass's value stands

    // At rest: no search, no output, outputs untouched.
    time = -1;
    falling.velocity = Vec3f(0, 0, 0);
    EXPECT_FALSE(mesh.query(falling, 1, time, normal));
    EXPECT_EQ(mesh.trace, "");
    EXPECT_EQ(time, -1.0f);
}

TEST(HierarchicalObject, AMoverMeetsTheMeshTheSameOnEveryFaceAndAfterLayerTurns) {
    std::string obj = trianglesObj({{-2, -2, 1, 3, -2, 2, -2, 3, 1}, {0, 0, 0, 1, 0, 0, 0, 1, 0}});
    SweptSphere onTop{Vec3f(0.5f, 0.3f, 10.5f), Vec3f(3, 1, -40), Vec3f(0, 0, 0.5f), 0.4f};
    float dt = 1 / 60.0f, topTime = 0;
    Vec3f topNormal;
    Mesh top(obj);
    ASSERT_TRUE(top.query(onTop, dt, topTime, topNormal));

    for (int face = 0; face < 6; ++face) {
        Matrix4f toFace = faceOrientationMatrix(face);
        SweptSphere moved = onTop;
        toFace.transformPoint(moved.position);
        toFace.transformPoint(moved.velocity);
        toFace.transformPoint(moved.lift);
        Vec3f position(0, 0, 10), expectedNormal = topNormal;
        toFace.transformPoint(position);
        toFace.transformPoint(expectedNormal);
        Mesh placed(obj, position);
        float time = 0;
        Vec3f normal;
        ASSERT_TRUE(placed.query(moved, dt, time, normal)) << "face " << face;
        EXPECT_NEAR(time, topTime, 1e-5f) << "face " << face;
        expectVecNear(normal, expectedNormal);

        // Five quarter turns about y in 5-degree steps, the mover carried along with them.
        Matrix4f step = Matrix4f::rotationY(static_cast<float>(5 * PI / 180));
        for (int i = 0; i < 90; ++i) {
            CaptureStdout();
            placed.hierarchy->rotate(step);
            ASSERT_EQ(GetCapturedStdout(), "\nrotation\n");
            step.transformPoint(moved.position);
            step.transformPoint(moved.velocity);
            step.transformPoint(moved.lift);
            step.transformPoint(expectedNormal);
        }
        ASSERT_TRUE(placed.query(moved, dt, time, normal));
        EXPECT_NEAR(time, topTime, 1e-4f) << "face " << face;
        expectVecNear(normal, expectedNormal, 1e-4f);
    }
}

// Random short steps of tank- and shell-sized spheres through and around the shipped
// obstacle: whatever the check pass over every triangle finds, the tree must find too.
TEST(HierarchicalObject, TheTreeFindsEveryContactTheCheckOfAllTrianglesFinds) {
    GlmModel* raw = glmReadOBJ("models/test_01.obj");
    ModelPtr model(raw);
    float dimensions[3];
    glmExtents(raw, dimensions);
    glmScaleBy(raw, 10 / dimensions[0]);
    Vec3f position(0, 0, 42);
    CaptureStdout();
    HierarchicalObject mesh(position, nullptr, raw);
    GetCapturedStdout();
    ASSERT_TRUE(mesh.validate());
    EXPECT_GT(mesh.numNodes, 100);

    randomSource.seed(7);
    int contacts = 0, lateOnly = 0;
    for (int i = 0; i < 3000; ++i) {
        float radius = i % 2 ? 1.5f : 0.4f; // a tank, a shell
        float speed = randomSource.randomFloat(1, 60);
        Vec3f through(randomSource.randomFloat(-7, 7), randomSource.randomFloat(-6, 6),
                      randomSource.randomFloat(-1, 8));
        Vec3f direction(randomSource.randomFloat(-1, 1), randomSource.randomFloat(-1, 1),
                        randomSource.randomFloat(-1, 1));
        direction.normalize();
        float dt = 1 / 60.0f;
        // The step passes near `through` somewhere between its start and its end.
        SweptSphere mover{position + through +
                              direction * (speed * dt * randomSource.randomFloat(0, 1)),
                          direction * speed, Vec3f(), radius};
        float time = -1;
        Vec3f normal;
        CaptureStdout();
        bool hit = mesh.findCollision(mover, dt, time, normal);
        std::string trace = GetCapturedStdout();
        bool checkHit = trace.find(" intersects ") != std::string::npos;
        if (checkHit) {
            ++contacts;
            ASSERT_TRUE(hit) << "missed a contact, step " << i;
        }
        if (!hit)
            continue;
        EXPECT_NEAR(normal.length(), 1, 1e-4f);
        EXPECT_GE(time, 0);
        if (!checkHit) { // only the leaves' tolerance past the end of the step can find it
            ++lateOnly;
            EXPECT_GE(time, dt);
            EXPECT_LT(time, dt + 0.0001f);
        }
    }
    EXPECT_GT(contacts, 300);
    EXPECT_LT(lateOnly, contacts / 20);
}

} // namespace
