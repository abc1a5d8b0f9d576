#include <gtest/gtest.h>

#include "support/vecexpect.h"

#include "math/constants.h"
#include "math/matrix.h"

namespace {

void expectMatrixNear(const Matrix4f& a, const Matrix4f& b, float tolerance = 1e-6f) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.data()[i], b.data()[i], tolerance) << "element " << i;
}

TEST(Vec3f, NormalizeScalesToUnitAndLeavesZeroAlone) {
    Vec3f v(3, 0, 4);
    v.normalize();
    expectVecNear(v, Vec3f(0.6f, 0, 0.8f));
    Vec3f zero;
    zero.normalize();
    expectVecNear(zero, Vec3f(0, 0, 0), 0.0f);
}

TEST(Vec3f, CrossFollowsTheRightHandRule) {
    expectVecNear(cross(X_AXIS, Y_AXIS), Z_AXIS);
    expectVecNear(cross(Y_AXIS, Z_AXIS), X_AXIS);
    expectVecNear(cross(Z_AXIS, X_AXIS), Y_AXIS);
    Vec3f a(1, 2, 3), b(-4, 5, 0.5f);
    EXPECT_NEAR(cross(a, b).dot(a), 0.0f, 1e-5f);
    EXPECT_NEAR(cross(a, b).dot(b), 0.0f, 1e-5f);
}

TEST(Matrix4f, DefaultIsZeroAndAbsorbsProducts) {
    Matrix4f zero;
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(zero.data()[i], 0.0f);
    expectMatrixNear(Matrix4f::rotationX(0.3f) * zero, zero, 0.0f);
}

TEST(Matrix4f, TranslationIsInTheLastColumnAndTransposesForOpenGL) {
    Matrix4f t = Matrix4f::translation(1, 2, 3);
    EXPECT_EQ(t.at(3, 0), 1.0f);
    EXPECT_EQ(t.at(3, 1), 2.0f);
    EXPECT_EQ(t.at(3, 2), 3.0f);
    Vec3f origin;
    t.transformPoint(origin);
    expectVecNear(origin, Vec3f(1, 2, 3), 0.0f);
    Matrix4f gl = t.transpose();
    EXPECT_EQ(gl.data()[12], 1.0f);
    EXPECT_EQ(gl.data()[13], 2.0f);
    EXPECT_EQ(gl.data()[14], 3.0f);
}

TEST(Matrix4f, AxisAngleRotationAgreesWithTheAxisRotations) {
    for (float a : {-2.5f, -0.7f, 0.0f, 0.3f, static_cast<float>(PI / 2), 3.0f}) {
        expectMatrixNear(Matrix4f::rotation(a, 1, 0, 0), Matrix4f::rotationX(a));
        expectMatrixNear(Matrix4f::rotation(a, 0, 1, 0), Matrix4f::rotationY(a));
        expectMatrixNear(Matrix4f::rotation(a, 0, 0, 1), Matrix4f::rotationZ(a));
        // The axis is normalised first.
        expectMatrixNear(Matrix4f::rotation(a, 0, 0, 5), Matrix4f::rotationZ(a));
    }
}

TEST(Matrix4f, RotationsAreCounterClockwiseSeenFromThePositiveAxis) {
    Vec3f p(1, 0, 0);
    Matrix4f::rotationZ(static_cast<float>(PI / 2)).transformPoint(p);
    expectVecNear(p, Vec3f(0, 1, 0));
    Vec3f q(0, 1, 0);
    Matrix4f::rotationX(static_cast<float>(PI / 2)).transformPoint(q);
    expectVecNear(q, Vec3f(0, 0, 1));
    Vec3f r(0, 0, 1);
    Matrix4f::rotationY(static_cast<float>(PI / 2)).transformPoint(r);
    expectVecNear(r, Vec3f(1, 0, 0));
    // A general axis: a third of a turn about (1, 1, 1) cycles the axes.
    Vec3f s(1, 0, 0);
    Matrix4f::rotation(static_cast<float>(2 * PI / 3), 1, 1, 1).transformPoint(s);
    expectVecNear(s, Vec3f(0, 1, 0));
}

TEST(Matrix4f, ZeroAxisGivesScaledIdentityWithUnitCorner) {
    float a = 0.8f;
    Matrix4f m = Matrix4f::rotation(a, 0, 0, 0);
    Matrix4f expected = Matrix4f::identity() * std::cos(a);
    expected.at(3, 3) = 1.0f;
    expectMatrixNear(m, expected);
}

TEST(Matrix4f, ProductOrderAndInPlaceForms) {
    Matrix4f t = Matrix4f::translation(5, 0, 0);
    Matrix4f r = Matrix4f::rotationZ(static_cast<float>(PI / 2));
    // t * r rotates first, then translates.
    Vec3f p(1, 0, 0);
    (t * r).transformPoint(p);
    expectVecNear(p, Vec3f(5, 1, 0));

    Matrix4f post = t;
    post *= r;
    expectMatrixNear(post, t * r);
    Matrix4f pre = t;
    pre.preMultiply(r);
    expectMatrixNear(pre, r * t);

    // Squaring in place reads a copy of the operand.
    Matrix4f square = r;
    square *= square;
    expectMatrixNear(square, Matrix4f::rotationZ(static_cast<float>(PI)));
    Matrix4f preSquare = r;
    preSquare.preMultiply(preSquare);
    expectMatrixNear(preSquare, Matrix4f::rotationZ(static_cast<float>(PI)));
}

TEST(Matrix4f, TransformUsesWAndTransformPointDoesNotDivide) {
    Matrix4f m = Matrix4f::scaling(2, 3, 4);
    m.at(0, 3) = 1.0f; // w row picks up x
    Vec4f h(1, 1, 1, 1);
    m.transform(h);
    EXPECT_FLOAT_EQ(h.x(), 2);
    EXPECT_FLOAT_EQ(h.y(), 3);
    EXPECT_FLOAT_EQ(h.z(), 4);
    EXPECT_FLOAT_EQ(h.w(), 2);
    Vec3f p(1, 1, 1);
    m.transformPoint(p);
    expectVecNear(p, Vec3f(2, 3, 4), 0.0f);
}

TEST(Matrix4f, ElementWiseArithmetic) {
    Matrix4f a = Matrix4f::scaling(1, 2, 3);
    Matrix4f b = Matrix4f::translation(4, 5, 6);
    Matrix4f sum = a + b;
    Matrix4f difference = sum - b;
    expectMatrixNear(difference, a, 0.0f);
    EXPECT_EQ(sum.at(0, 0), 2.0f);
    EXPECT_EQ(sum.at(3, 1), 5.0f);
    EXPECT_EQ((a * 2.0f).at(2, 2), 6.0f);
}

#ifndef NDEBUG
TEST(Matrix4fDeathTest, IndicesOutsideTheMatrixAssert) {
    Matrix4f m;
    EXPECT_DEATH(m.at(4, 0), "x >= 0 && x < 4");
    EXPECT_DEATH(m.at(0, -1), "y >= 0 && y < 4");
    Vec3f v;
    EXPECT_DEATH(v[3], "i >= 0 && i < 3");
    Vec4f w;
    EXPECT_DEATH(w[4], "i >= 0 && i < 4");
}
#endif

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

} // namespace
