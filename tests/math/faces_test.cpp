#include <gtest/gtest.h>

#include "support/vecexpect.h"

#include "math/colours.h"
#include "math/constants.h"
#include "math/faces.h"

namespace {

// Normal, local right and local forward of each face.
struct FaceRow {
    Vec3f normal, right, forward;
};
const FaceRow FACE_TABLE[6] = {
    {X_AXIS, NEG_Z_AXIS, Y_AXIS}, {NEG_X_AXIS, Z_AXIS, Y_AXIS}, {Y_AXIS, X_AXIS, NEG_Z_AXIS},
    {NEG_Y_AXIS, X_AXIS, Z_AXIS}, {Z_AXIS, X_AXIS, Y_AXIS},     {NEG_Z_AXIS, NEG_X_AXIS, Y_AXIS},
};

TEST(Faces, ConstantsHaveTheirValues) {
    EXPECT_DOUBLE_EQ(MS_PER_FRAME, 16.666666666666668);
    EXPECT_DOUBLE_EQ(SECONDS_PER_FRAME, 0.016666666666666666);
    EXPECT_DOUBLE_EQ(PI, 4 * std::atan(1.0));
    EXPECT_NEAR(ROTATION_TIME, 0.3f, 1e-6f);
    Vec4f g = grey(0.25f);
    EXPECT_EQ(g.x(), 0.25f);
    EXPECT_EQ(g.z(), 0.25f);
    EXPECT_EQ(g.w(), 1.0f);
    EXPECT_EQ(ORANGE.y(), 0.5f);
}

TEST(Faces, AxisSignAndIndexRoundTrip) {
    for (int f = 0; f < 6; ++f) {
        EXPECT_EQ(faceIndex(faceAxis(f), faceSign(f) > 0), f);
        expectVecNear(faceNormal(f), FACE_TABLE[f].normal, 0.0f);
    }
    expectVecNear(faceNormal(6), X_AXIS, 0.0f);
    expectVecNear(faceNormal(-1), X_AXIS, 0.0f);
}

TEST(Faces, FaceOfPicksTheDominantAxisAndBreaksTiesTowardsTheEarlierAxis) {
    EXPECT_EQ(faceOf(Vec3f(2, 2, 0)), 0);
    EXPECT_EQ(faceOf(Vec3f(-2, 2, 0)), 1);
    EXPECT_EQ(faceOf(Vec3f(0, -3, 3)), 3);
    EXPECT_EQ(faceOf(Vec3f(1, 1, 1)), 0);
    EXPECT_EQ(faceOf(Vec3f(0, 0, 0)), 0);
    EXPECT_EQ(faceOf(Vec3f(0.1f, 0.2f, -9)), 5);
    EXPECT_EQ(faceOf(Vec3f(0.1f, 9, -8.9f)), 2);
    for (int f = 0; f < 6; ++f)
        EXPECT_EQ(faceOf(faceNormal(f) * 14.0f + Vec3f(0.5f, -0.5f, 0.25f)), f);
}

TEST(Faces, OrientationMatrixStandsModelsUprightOnEveryFace) {
    for (int f = 0; f < 6; ++f) {
        SCOPED_TRACE(f);
        Matrix4f m;
        faceOrientationMatrix(m, f);
        Vec3f up(0, 0, 1), forward(0, 1, 0), right(1, 0, 0);
        m.transformPoint(up);
        m.transformPoint(forward);
        m.transformPoint(right);
        expectVecNear(up, FACE_TABLE[f].normal);
        expectVecNear(forward, FACE_TABLE[f].forward);
        expectVecNear(right, FACE_TABLE[f].right);
    }
    Matrix4f unchanged = Matrix4f::scaling(2, 2, 2);
    faceOrientationMatrix(unchanged, 4);
    EXPECT_NEAR(unchanged.at(0, 0), 1.0f, 1e-6f);
}

TEST(Faces, OrientationAxisAndAngle) {
    Vec3f axis;
    float angle = -1;
    faceOrientation(2, axis, angle);
    expectVecNear(axis, NEG_X_AXIS);
    EXPECT_EQ(angle, 90.0f);
    faceOrientation(5, axis, angle);
    expectVecNear(axis, Y_AXIS);
    EXPECT_EQ(angle, 180.0f);
    // An unknown face leaves both outputs as they were.
    faceOrientation(7, axis, angle);
    expectVecNear(axis, Y_AXIS);
    EXPECT_EQ(angle, 180.0f);
}

TEST(Faces, ToFaceLocalUsesTheFaceAxes) {
    for (int f = 0; f < 6; ++f) {
        SCOPED_TRACE(f);
        expectVecNear(toFaceLocal(faceNormal(f), f), Vec3f(0, 0, 1));
        expectVecNear(toFaceLocal(FACE_TABLE[f].right * 3.0f + FACE_TABLE[f].forward * -2.0f, f),
                      Vec3f(3, -2, 0));
    }
}

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

} // namespace
