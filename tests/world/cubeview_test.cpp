#include <gtest/gtest.h>

#include <cmath>

#include "math/randomsource.h"
#include "support/vecexpect.h"
#include "world/cubeview.h"

namespace {

// gluPerspective's matrix, row-major.
Matrix4f perspective(float fovDegrees, float aspect, float near, float far) {
    float f = 1.0f / std::tan(fovDegrees * 3.14159265f / 360.0f);
    Matrix4f m;
    m.at(0, 0) = f / aspect;
    m.at(1, 1) = f;
    m.at(2, 2) = (far + near) / (near - far);
    m.at(3, 2) = 2 * far * near / (near - far);
    m.at(2, 3) = -1;
    return m;
}

Vec3f randomPoint(float extent) {
    return Vec3f(randomSource.randomFloat(-extent, extent),
                 randomSource.randomFloat(-extent, extent),
                 randomSource.randomFloat(-extent, extent));
}

// A camera at a random place, turned a random way, and scaled: the eye comes back.
TEST(CubeView, FindsTheEyeOfAnyCamera) {
    randomSource.seed(5);
    for (int i = 0; i < 50; ++i) {
        Vec3f eye = randomPoint(200);
        Vec3f axis = randomPoint(1) + Vec3f(0.01f, 0, 0);
        float scale = randomSource.randomFloat(0.5f, 2);
        Matrix4f modelView = Matrix4f::scaling(scale, scale, scale) *
                             Matrix4f::rotation(randomSource.randomFloat(-3, 3), axis) *
                             Matrix4f::translation(-eye.x(), -eye.y(), -eye.z());
        expectVecNear(CubeView(modelView, Matrix4f::identity()).eye, eye, 1e-3f);
    }
}

// A box is called outside only when no point of it is in view: checked against points spread
// through it, for boxes all round a camera.
TEST(CubeView, CallsOutsideOnlyBoxesWhollyOutOfView) {
    randomSource.seed(9);
    Matrix4f modelView = Matrix4f::rotation(0.7f, 1, 2, 0) * Matrix4f::translation(-10, 20, -30);
    CubeView view(modelView, perspective(33, 2, 0.5f, 200));
    int outside = 0, inside = 0;
    for (int i = 0; i < 400; ++i) {
        Vec3f centre = randomPoint(150),
              half(randomSource.randomFloat(0.5f, 20), randomSource.randomFloat(0.5f, 20),
                   randomSource.randomFloat(0.5f, 20));
        float box[6] = {centre.x() - half.x(), centre.x() + half.x(), centre.y() - half.y(),
                        centre.y() + half.y(), centre.z() - half.z(), centre.z() + half.z()};
        if (!view.outside(box)) {
            ++inside;
            continue;
        }
        ++outside;
        for (int k = 0; k < 1000; ++k) {
            Vec4f p(box[0] + (box[1] - box[0]) * (k % 10) / 9.0f,
                    box[2] + (box[3] - box[2]) * (k / 10 % 10) / 9.0f,
                    box[4] + (box[5] - box[4]) * (k / 100) / 9.0f, 1);
            view.clip.transform(p);
            bool seen =
                std::fabs(p.x()) <= p.w() && std::fabs(p.y()) <= p.w() && std::fabs(p.z()) <= p.w();
            ASSERT_FALSE(seen) << "box " << i << " point " << k;
        }
    }
    EXPECT_GT(outside, 100); // neither check is idle
    EXPECT_GT(inside, 20);
}

} // namespace
