#pragma once

#include <gtest/gtest.h>

#include "math/vectors.h"

// Component-wise closeness of two vectors, reported per component.
inline void expectVecNear(const Vec3f& actual, const Vec3f& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
    EXPECT_NEAR(actual.z(), expected.z(), tolerance);
}
