#include <gtest/gtest.h>

#include <cmath>

#include "assetfixtures.h"

namespace {

// Two triangles hinged on the x axis: the first flat (normal +Z), the second turned `degrees`
// about the hinge. Vertex 1 and 2 are the hinge.
GlmModel* hinge(float degrees) {
    float a = degrees * static_cast<float>(M_PI) / 180.0f;
    std::string text = "v 0 0 0\nv 1 0 0\nv 0.5 1 0\nv 0.5 " + std::to_string(-std::cos(a)) + " " +
                       std::to_string(std::sin(a)) + "\nf 1 2 3\nf 2 1 4\n";
    GlmError error;
    GlmModel* model = readModelText(text, error);
    EXPECT_TRUE(model) << error.message;
    return model;
}

const float* normalAt(const GlmModel* m, unsigned int triangle, int corner) {
    return &m->normals[3 * m->triangles[triangle].normalindices[corner]];
}

TEST(GlmNormals, FacetNormalsFollowTheWinding) {
    ModelHolder m(hinge(90));
    glmFaceNormals(m.get());
    ASSERT_EQ(m->facetnormcount, 2u);
    EXPECT_EQ(m->triangles[1].facetindex, 2u);
    const float* first = &m->facetnorms[3 * 1];
    const float* second = &m->facetnorms[3 * 2];
    EXPECT_NEAR(first[2], 1.0f, 1e-6);
    EXPECT_NEAR(second[1], 1.0f, 1e-6);
    EXPECT_NEAR(second[2], 0.0f, 1e-6);
}

TEST(GlmNormals, CornersWithinTheCreaseAngleShareOneAveragedNormal) {
    ModelHolder m(hinge(10));
    glmFaceNormals(m.get());
    glmVertexNormals(m.get(), 15.0f);
    EXPECT_EQ(m->normalcount, 4u);
    // Vertex 1 is corner 0 of the first triangle and corner 1 of the second.
    EXPECT_EQ(m->triangles[0].normalindices[0], m->triangles[1].normalindices[1]);
    const float* n = normalAt(m.get(), 0, 0);
    float half = 5.0f * static_cast<float>(M_PI) / 180.0f;
    EXPECT_NEAR(n[0], 0.0f, 1e-5);
    EXPECT_NEAR(n[1], std::sin(half), 1e-4);
    EXPECT_NEAR(n[2], std::cos(half), 1e-4);
    // The tip of the first triangle is used by nothing else: its own facet normal.
    EXPECT_NEAR(normalAt(m.get(), 0, 2)[2], 1.0f, 1e-6);
}

TEST(GlmNormals, CornersBeyondTheCreaseAngleKeepTheirFacetNormals) {
    ModelHolder m(hinge(20));
    glmFaceNormals(m.get());
    glmVertexNormals(m.get(), 15.0f);
    EXPECT_EQ(m->normalcount, 6u);
    EXPECT_NE(m->triangles[0].normalindices[0], m->triangles[1].normalindices[1]);
    EXPECT_NEAR(normalAt(m.get(), 0, 0)[2], 1.0f, 1e-6);
    float a = 20.0f * static_cast<float>(M_PI) / 180.0f;
    EXPECT_NEAR(normalAt(m.get(), 1, 1)[1], std::sin(a), 1e-4);
    EXPECT_NEAR(normalAt(m.get(), 1, 1)[2], std::cos(a), 1e-4);
}

TEST(GlmNormals, LooseVerticesAndDegenerateTrianglesAreSurvived) {
    GlmError error;
    ModelHolder m(readModelText("v 0 0 0\nv 1 0 0\nv 2 0 0\nv 5 5 5\nf 1 2 3\nf 1 1 2\n", error));
    ASSERT_TRUE(m.get()) << error.message;
    glmFaceNormals(m.get());
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(m->facetnorms[3 + k], 0.0f) << "a zero-area triangle has a zero normal";
    testing::internal::CaptureStderr();
    glmVertexNormals(m.get(), 15.0f);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "glmVertexNormals(): vertex w/o a triangle\n");
    // Every corner, even the repeated vertex of the degenerate triangle, names a stored normal.
    for (unsigned int t = 0; t < m->trianglecount; ++t)
        for (int c = 0; c < 3; ++c) {
            EXPECT_GE(m->triangles[t].normalindices[c], 1u);
            EXPECT_LE(m->triangles[t].normalindices[c], m->normalcount);
        }
}

TEST(GlmTransform, FitUnitCubeCentresAndScalesByTheSumsOfMagnitudes) {
    GlmError error;
    ModelHolder m(readModelText("v 1 0 0\nv 3 1 0.5\nv 2 0.5 0.25\n", error));
    ASSERT_TRUE(m.get()) << error.message;
    float before[3];
    glmExtents(m.get(), before);
    EXPECT_FLOAT_EQ(before[0], 4.0f);
    EXPECT_FLOAT_EQ(before[1], 1.0f);
    EXPECT_FLOAT_EQ(before[2], 0.5f);
    EXPECT_FLOAT_EQ(glmFitUnitCube(m.get()), 0.5f);
    EXPECT_FLOAT_EQ(vertexOf(m.get(), 1)[0], -0.5f);
    EXPECT_FLOAT_EQ(vertexOf(m.get(), 2)[0], 0.5f);
    EXPECT_FLOAT_EQ(vertexOf(m.get(), 1)[1], -0.25f);
    EXPECT_FLOAT_EQ(vertexOf(m.get(), 2)[2], 0.125f);
    glmScaleBy(m.get(), 4.0f);
    float after[3];
    glmExtents(m.get(), after);
    EXPECT_FLOAT_EQ(after[0], 4.0f);
    EXPECT_FLOAT_EQ(after[1], 2.0f);
}

TEST(GlmTransform, EmptyAndSinglePointMeshesStayFinite) {
    GlmError error;
    ModelHolder empty(readModelText("# nothing\n", error));
    ASSERT_TRUE(empty.get()) << error.message;
    float d[3] = {9, 9, 9};
    EXPECT_EQ(glmFitUnitCube(empty.get()), 1.0f);
    glmExtents(empty.get(), d);
    EXPECT_EQ(d[0] + d[1] + d[2], 0.0f);

    // Collapsed onto the origin, where the sums of magnitudes are all zero.
    ModelHolder point(readModelText("v 0 0 0\nv 0 0 0\n", error));
    ASSERT_TRUE(point.get()) << error.message;
    EXPECT_EQ(glmFitUnitCube(point.get()), 1.0f);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(vertexOf(point.get(), 2)[k], 0.0f);
}

} // namespace
