#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "assets/glm.h"
#include "collision/hierarchicalobject.h"
#include "math/faces.h"
#include "math/randomsource.h"
#include "support/vecexpect.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;
using Triangles = std::vector<std::vector<float>>; // nine coordinates each

std::string trianglesObj(const Triangles& triangles) {
    std::ostringstream obj;
    for (const std::vector<float>& t : triangles)
        obj << "v " << t[0] << " " << t[1] << " " << t[2] << "\nv " << t[3] << " " << t[4] << " "
            << t[5] << "\nv " << t[6] << " " << t[7] << " " << t[8] << "\n";
    for (size_t i = 0; i < triangles.size(); ++i)
        obj << "f " << 3 * i + 1 << " " << 3 * i + 2 << " " << 3 * i + 3 << "\n";
    return obj.str();
}

// A hierarchy with its model and what it printed. On face 4 at height 10 unless told
// otherwise, so model space is world space less (0, 0, 10).
struct Mesh {
    explicit Mesh(GlmModel* read, const Vec3f& position = Vec3f(0, 0, 10)) : model(read) {
        CaptureStdout();
        hierarchy = std::make_unique<HierarchicalObject>(position, nullptr, model);
        output = GetCapturedStdout();
    }
    explicit Mesh(const std::string& obj, const Vec3f& position = Vec3f(0, 0, 10))
        : Mesh(readObj(obj), position) {}
    ~Mesh() {
        hierarchy.reset();
        glmFreeModel(model);
    }
    bool query(const SweptSphere& mover, float dt) {
        CaptureStdout();
        bool hit = hierarchy->findCollision(mover, dt, time, normal);
        output = GetCapturedStdout();
        return hit;
    }
    static GlmModel* readObj(const std::string& obj) {
        GlmError error;
        GlmModel* read = glmReadOBJMemory(
            "models/test.obj", obj.data(), obj.size(),
            [](const std::string&, std::string&) { return false; }, error);
        EXPECT_TRUE(read) << error.message;
        return read;
    }
    GlmModel* model;
    std::unique_ptr<HierarchicalObject> hierarchy;
    std::string output;
    float time = -1;
    Vec3f normal;
};

TEST(HierarchicalObject, SmallMeshIsOneLeafAndPrintsEveryGroupTriangleAndVertex) {
    // Groups are walked newest first: " second", " first", then the empty "default".
    Mesh mesh("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nv 2 3 4\n"
              "g first\nf 1 2 3\ng second\nf 1 2 4\nf 2 3 4\nf 5 1 2\n");
    const HierarchicalObject& h = *mesh.hierarchy;
    EXPECT_EQ(mesh.output.find("group numT:3\ntriangle: 0\n\tvertex:0\t0.000000 0.000000 "
                               "0.000000\n\tvertex:1\t1.000000 0.000000 0.000000\n"),
              0u);
    EXPECT_NE(mesh.output.find("\ngroup numT:1\ntriangle: 0\n"), std::string::npos);
    std::string end = "\ngroup numT:0\n\nmaxDepth: 0\ntriangles: 4,  numNodes: 1,  numSame: 0\n";
    EXPECT_EQ(mesh.output.substr(mesh.output.size() - end.size()), end);
    EXPECT_EQ(h.numNodes, 1);
    EXPECT_TRUE(h.root->isLeaf);
    EXPECT_EQ(h.root->triangles, (std::vector<int>{0, 3, 6, 9}));
    expectVecNear(h.vertices[6], Vec3f(2, 3, 4)); // the file's fourth triangle comes third
    EXPECT_EQ(h.root->extremeVertices, (std::vector<int>{0, 6, 0, 6, 0, 6}));
    expectVecNear(h.root->center, Vec3f(1, 1.5f, 2));
    expectVecNear(h.root->radius, Vec3f(1.01f, 1.51f, 2.01f));
    EXPECT_TRUE(h.validate());
}

TEST(HierarchicalObject, SplitsAtMidpointsWithStraddlersInBothHalvesDownToTheDepthLimit) {
    // x from 0 to 10, split at 5: two triangles left, two right, one across the split.
    Mesh split(trianglesObj({{0, 0, 0, 1, 0, 0, 0, 1, 0},
                             {1, 1, 0, 2, 1, 0, 1, 2, 0},
                             {8, 0, 0, 9, 0, 0, 8, 1, 0},
                             {9, 1, 0, 10, 1, 0, 9, 2, 0},
                             {4, 0, 1, 6, 0, 1, 4, 1, 1}}));
    const HierarchyNode& root = *split.hierarchy->root;
    ASSERT_FALSE(root.isLeaf);
    EXPECT_EQ(root.left->triangles, (std::vector<int>{0, 3, 12}));
    EXPECT_EQ(root.right->triangles, (std::vector<int>{6, 9, 12}));
    EXPECT_FLOAT_EQ(root.right->center.x(), root.center.x() + root.radius.x() / 2);
    EXPECT_TRUE(split.hierarchy->validate());

    // A start inside the root box meets it at once; only the left half is within reach.
    EXPECT_FALSE(split.query({Vec3f(2.6f, 0.5f, 10.5f), Vec3f(1, 0, 0), Vec3f(), 0}, 0.1f));
    EXPECT_EQ(split.output, "\nL p 0   3   12  ");

    split.hierarchy->root->left->triangles.pop_back(); // the straddler lost from one half
    EXPECT_FALSE(split.hierarchy->validate());

    // Twenty triangles shrunk to one point can never be told apart: one chain of splits to
    // depth 11, each leaving an empty left half.
    Mesh clustered(trianglesObj(Triangles(20, std::vector<float>(9, 1.0f))));
    EXPECT_EQ(HierarchicalObject::maxDepth, 11);
    EXPECT_NE(clustered.output.find("\nmaxDepth: 11\ntriangles: 20,  numNodes: 23,  "),
              std::string::npos);
    EXPECT_TRUE(clustered.hierarchy->validate());
}

TEST(HierarchicalObject, AContactAtTheEndOfTheStepCountsInALeafButNotInTheCheckPass) {
    Mesh mesh(trianglesObj({{0, 0, 0, 1, 0, 0, 0, 1, 0}}));
    // A point falling 1 unit per second from 1 unit above the triangle: contact after 1 s.
    SweptSphere falling{Vec3f(0.2f, 0.2f, 10), Vec3f(0, 0, -1), Vec3f(), 0};
    EXPECT_TRUE(mesh.query(falling, 1));
    EXPECT_EQ(mesh.output, "\np 0  =");
    EXPECT_EQ(mesh.time, 1.0f);
    expectVecNear(mesh.normal, Vec3f(0, 0, 1));

    falling.position = Vec3f(0.2f, 0.2f, 9.5f); // contact half way through
    EXPECT_TRUE(mesh.query(falling, 1));
    EXPECT_EQ(mesh.output, "\n intersects 0  \np 0  =");
    EXPECT_FLOAT_EQ(mesh.time, 0.5f);

    falling.position = Vec3f(0.2f, 0.2f, 10.01f); // contact 10 ms after the step: too late
    EXPECT_FALSE(mesh.query(falling, 0.99f));
    EXPECT_EQ(mesh.output, "\np 0  ");
    EXPECT_EQ(mesh.time, 99.0f); // the check pass's value stands

    mesh.time = -1; // at rest: no search, no output, outputs untouched
    falling.velocity = Vec3f(0, 0, 0);
    EXPECT_FALSE(mesh.query(falling, 1));
    EXPECT_EQ(mesh.output, "");
    EXPECT_EQ(mesh.time, -1.0f);
}

TEST(HierarchicalObject, AMoverMeetsTheMeshTheSameOnEveryFace) {
    std::string obj = trianglesObj({{-2, -2, 1, 3, -2, 2, -2, 3, 1}, {0, 0, 0, 1, 0, 0, 0, 1, 0}});
    SweptSphere onTop{Vec3f(0.5f, 0.3f, 10.5f), Vec3f(3, 1, -40), Vec3f(0, 0, 0.5f), 0.4f};
    Mesh top(obj);
    ASSERT_TRUE(top.query(onTop, 1 / 60.0f));
    for (int face = 0; face < 6; ++face) {
        Matrix4f toFace = faceOrientationMatrix(face);
        SweptSphere moved = onTop;
        Vec3f position(0, 0, 10), normal = top.normal;
        for (Vec3f* v : {&moved.position, &moved.velocity, &moved.lift, &position, &normal})
            toFace.transformPoint(*v);
        Mesh placed(obj, position);
        ASSERT_TRUE(placed.query(moved, 1 / 60.0f)) << "face " << face;
        EXPECT_NEAR(placed.time, top.time, 1e-5f) << "face " << face;
        expectVecNear(placed.normal, normal);
    }
}

// Random short steps of tank- and shell-sized spheres through and around the shipped
// obstacle: whatever the check pass over every triangle finds, the tree must find too.
TEST(HierarchicalObject, TheTreeFindsEveryContactTheCheckOfAllTrianglesFinds) {
    GlmModel* model = glmReadOBJ("models/test_01.obj");
    float dimensions[3];
    glmExtents(model, dimensions);
    glmScaleBy(model, 10 / dimensions[0]);
    Vec3f position(0, 0, 42);
    Mesh rock(model, position);
    ASSERT_TRUE(rock.hierarchy->validate());

    randomSource.seed(7);
    auto random = [](float a, float b) { return randomSource.randomFloat(a, b); };
    int contacts = 0, lateOnly = 0;
    const float dt = 1 / 60.0f;
    for (int i = 0; i < 3000; ++i) {
        Vec3f through(random(-7, 7), random(-6, 6), random(-1, 8));
        Vec3f direction(random(-1, 1), random(-1, 1), random(-1, 1));
        direction.normalize();
        float speed = random(1, 60);
        // The step passes `through` somewhere between its start and its end.
        Vec3f end = position + through + direction * (speed * dt * random(0, 1));
        bool hit = rock.query({end, direction * speed, Vec3f(), i % 2 ? 1.5f : 0.4f}, dt);
        bool checkHit = rock.output.find(" intersects ") != std::string::npos;
        contacts += checkHit;
        ASSERT_TRUE(hit || !checkHit) << "missed a contact, step " << i;
        if (!hit)
            continue;
        EXPECT_NEAR(rock.normal.length(), 1, 1e-4f);
        EXPECT_GE(rock.time, 0);
        if (!checkHit) { // only the leaves' tolerance past the end of the step can find it
            ++lateOnly;
            EXPECT_GE(rock.time, dt);
            EXPECT_LT(rock.time, dt + 0.0001f);
        }
    }
    EXPECT_GT(contacts, 300);
    EXPECT_LT(lateOnly, contacts / 20);
}

} // namespace
