#include <gtest/gtest.h>

#include "collision/raybox.h"

namespace {

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
