#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "entities/utilities.h"
#include "math/faces.h"

namespace {

TEST(RotateFace, FollowsTheFaceCyclesBothWays) {
    EXPECT_EQ(rotateFace(2, 0, 0), 2);
    EXPECT_EQ(rotateFace(2, 1, 0), 3);
    EXPECT_EQ(rotateFace(0, 0, 5), 2);
    EXPECT_EQ(rotateFace(0, 0, 0), 0);
    EXPECT_EQ(rotateFace(1, 1, 3), 3);
    for (int axis = 0; axis < 3; ++axis)
        for (int face = 0; face < 6; ++face) {
            EXPECT_EQ(rotateFace(axis, 1, rotateFace(axis, 0, face)), face);
            int f = face;
            for (int i = 0; i < 4; ++i)
                f = rotateFace(axis, 0, f);
            EXPECT_EQ(f, face);
        }
}

// The cycle must agree with the rotation matrices: a positive quarter turn about the axis
// carries each face normal onto the normal of the face it becomes.
TEST(RotateFace, AgreesWithPositiveQuarterTurns) {
    const Matrix4f turns[3] = {Matrix4f::rotationX(static_cast<float>(M_PI / 2)),
                               Matrix4f::rotationY(static_cast<float>(M_PI / 2)),
                               Matrix4f::rotationZ(static_cast<float>(M_PI / 2))};
    for (int axis = 0; axis < 3; ++axis)
        for (int face = 0; face < 6; ++face) {
            Vec3f n = faceNormal(face);
            turns[axis].transformPoint(n);
            EXPECT_EQ(faceOf(n), rotateFace(axis, 0, face)) << axis << " " << face;
        }
}

TEST(ShadowMatrix, ProjectsFromThePointLightOntoThePlane) {
    Matrix4f m;
    shadowMatrix(Vec3f(0, 0, 1), Vec3f(0, 0, 10), 0.0f, m);
    Vec4f p(1, 0, 1, 1);
    m.transform(p);
    EXPECT_FLOAT_EQ(p.x(), 10);
    EXPECT_FLOAT_EQ(p.y(), 0);
    EXPECT_FLOAT_EQ(p.z(), 0);
    EXPECT_FLOAT_EQ(p.w(), 9);

    // A tilted plane: after division by w every point lies on the plane, on the light's ray.
    Vec3f n(0.6f, 0, 0.8f), light(3, 4, 20);
    float d = -5.0f;
    shadowMatrix(n, light, d, m);
    Vec4f q(1, 2, 7, 1);
    m.transform(q);
    Vec3f s(q.x() / q.w(), q.y() / q.w(), q.z() / q.w());
    EXPECT_NEAR(n.dot(s) + d, 0.0f, 1e-4f);
    Vec3f toPoint = Vec3f(1, 2, 7) - light, toShadow = s - light;
    EXPECT_NEAR(cross(toPoint, toShadow).length(), 0.0f, 1e-3f);
}

TEST(HsvToRgb, SectorsAndGrey) {
    Vec3f yellowish = hsvToRgb(Vec3f(55, 0.7f, 1));
    EXPECT_NEAR(yellowish.x(), 1.0f, 1e-6f);
    EXPECT_NEAR(yellowish.y(), 0.941667f, 1e-6f);
    EXPECT_NEAR(yellowish.z(), 0.3f, 1e-6f);
    Vec3f red = hsvToRgb(Vec3f(0, 1, 1));
    EXPECT_FLOAT_EQ(red.x(), 1);
    EXPECT_FLOAT_EQ(red.y(), 0);
    Vec3f yellow = hsvToRgb(Vec3f(60, 1, 1));
    EXPECT_FLOAT_EQ(yellow.x(), 1);
    EXPECT_FLOAT_EQ(yellow.y(), 1);
    EXPECT_FLOAT_EQ(yellow.z(), 0);
    Vec3f blue = hsvToRgb(Vec3f(240 + 360, 1, 0.5f)); // one wrap of the hue
    EXPECT_FLOAT_EQ(blue.x(), 0);
    EXPECT_FLOAT_EQ(blue.z(), 0.5f);
    Vec3f grey = hsvToRgb(Vec3f(123, 0, 0.4f));
    EXPECT_FLOAT_EQ(grey.x(), 0.4f);
    EXPECT_FLOAT_EQ(grey.y(), 0.4f);
    EXPECT_FLOAT_EQ(grey.z(), 0.4f);
}

TEST(WriteFloats, EachValueIsFollowedByABlank) {
    std::ostringstream out;
    const float values[] = {0, 0.2f, 15, -1.5f};
    writeFloats(out, values, 4);
    EXPECT_EQ(out.str(), "0 0.2 15 -1.5 ");
}

TEST(IntersectBox, EnteringInsideParallelAndMissing) {
    float t = -1;
    int face = -1;
    Vec3f half(1, 1, 1);
    // Entering from -X, moving +X at 2 units per second: enters at t = 1.5 through face 1.
    EXPECT_EQ(intersectBox(Vec3f(), Vec3f(4, 0, 0), Vec3f(2, 0, 0), half, t, face), 2);
    EXPECT_FLOAT_EQ(t, 1.5f);
    EXPECT_EQ(face, 1);
    // Entering the top of a box below the point, moving down.
    EXPECT_EQ(intersectBox(Vec3f(), Vec3f(0, 0, -5), Vec3f(0, 0, -1), half, t, face), 2);
    EXPECT_FLOAT_EQ(t, 4.0f);
    EXPECT_EQ(face, 4);
    // Starting inside: result 1 with the exit time, never 2.
    EXPECT_EQ(intersectBox(Vec3f(), Vec3f(0.5f, 0, 0), Vec3f(1, 0, 0), half, t, face), 1);
    EXPECT_FLOAT_EQ(t, 1.5f);
    // Parallel to a slab (component at most 1e-05) and outside it: never hits.
    EXPECT_EQ(intersectBox(Vec3f(), Vec3f(4, 3, 0), Vec3f(1, 1e-05f, 0), half, t, face), 0);
    // Moving away from the box.
    EXPECT_EQ(intersectBox(Vec3f(), Vec3f(4, 0, 0), Vec3f(-1, 0, 0), half, t, face), 0);
    // Passing beside it.
    EXPECT_EQ(intersectBox(Vec3f(), Vec3f(4, 2.5f, 0), Vec3f(1, 0.1f, 0), half, t, face), 0);
    EXPECT_TRUE(rayHitsBox(Vec3f(), Vec3f(4, 0, 0), Vec3f(1, 0, 0), half, t));
    EXPECT_FALSE(rayHitsBox(Vec3f(), Vec3f(4, 0, 0), Vec3f(0, 1, 0), half, t));
}

TEST(CompareLength, ComparesSquaredLengths) {
    EXPECT_EQ(compareLength(Vec3f(3, 4, 0), 6), -1);
    EXPECT_EQ(compareLength(Vec3f(3, 4, 0), 4), 1);
    EXPECT_EQ(compareLength(Vec3f(3, 4, 0), 5), 0);
    EXPECT_EQ(compareLength(Vec3f(3, 4, 0), -5), 0);
}

} // namespace
