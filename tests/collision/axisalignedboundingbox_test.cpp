#include <gtest/gtest.h>

#include "support/vecexpect.h"

#include <array>

#include "collision/axisalignedboundingbox.h"
#include "math/constants.h"

namespace {

void expectIntervals(const AxisAlignedBoundingBox& box, const std::array<float, 6>& expected) {
    for (int i = 0; i < 6; ++i)
        EXPECT_FLOAT_EQ(box.getIntervals()[i], expected[i]) << "interval " << i;
}

TEST(AxisAlignedBoundingBox, MapsLocalExtentsOntoTheNearestWorldAxes) {
    AxisAlignedBoundingBox upright;
    upright.setExtents(-1, 1, -2, 2, 0, 3, Z_AXIS, Y_AXIS);
    expectVecNear(upright.minCorner, Vec3f(-1, -2, 0), 0.0f);
    expectVecNear(upright.maxCorner, Vec3f(1, 2, 3), 0.0f);

    // right = +Z x -X = -Y, yet the start extent still becomes the lower corner.
    AxisAlignedBoundingBox lying;
    lying.setExtents(-1, 1, -2, 2, 0, 3, NEG_X_AXIS, Z_AXIS);
    expectVecNear(lying.minCorner, Vec3f(0, -1, -2), 0.0f);
    expectVecNear(lying.maxCorner, Vec3f(3, 1, 2), 0.0f);

    // Mid-turn directions snap to their dominant axis.
    AxisAlignedBoundingBox tilted;
    tilted.setExtents(-1, 1, -2, 2, 0, 3, Vec3f(0.6f, 0, 0.8f), Vec3f(0, 1, 0));
    expectVecNear(tilted.minCorner, Vec3f(-1, -2, 0), 0.0f);
    tilted.orient(Vec3f(0.8f, 0, 0.6f), Vec3f(0, 1, 0));
    expectVecNear(tilted.minCorner, Vec3f(0, -2, -1), 0.0f);
    expectVecNear(tilted.maxCorner, Vec3f(3, 2, 1), 0.0f);
}

TEST(AxisAlignedBoundingBox, DirectionIndexBreaksTiesTowardsTheEarlierAxis) {
    EXPECT_EQ(directionIndex(Vec3f(1, 1, 0)), 0);
    EXPECT_EQ(directionIndex(Vec3f(-1, 1, 1)), 1);
    EXPECT_EQ(directionIndex(Vec3f(0, -1, 1)), 3);
    EXPECT_EQ(directionIndex(Vec3f(0.1f, 0.2f, -0.3f)), 5);
    EXPECT_EQ(directionIndex(Vec3f(0, 0, 0)), 0);
}

TEST(AxisAlignedBoundingBox, MovesWithAndWithoutSweep) {
    AxisAlignedBoundingBox box;
    box.setExtents(-1, 1, -1, 1, -1, 1, Z_AXIS, Y_AXIS);
    box.moveTo(Vec3f(0, 0, 0), false);
    expectIntervals(box, {-1, 1, -1, 1, -1, 1});
    box.moveTo(Vec3f(10, 0, 0), true);
    expectIntervals(box, {-1, 11, -1, 1, -1, 1});
    expectVecNear(box.getPosition(), Vec3f(10, 0, 0), 0.0f);
    box.moveTo(Vec3f(10, 0, 0), false);
    expectIntervals(box, {9, 11, -1, 1, -1, 1});
    // A sweep backwards covers the step just the same.
    box.moveTo(Vec3f(7, -4, 0), true);
    expectIntervals(box, {6, 11, -5, 1, -1, 1});

    float out[6];
    box.computeIntervals(Vec3f(1, 2, 3), out);
    EXPECT_FLOAT_EQ(out[0], 0.0f);
    EXPECT_FLOAT_EQ(out[3], 3.0f);
    EXPECT_FLOAT_EQ(out[5], 4.0f);
    expectVecNear(box.getPosition(), Vec3f(7, -4, 0), 0.0f); // computing does not move the box
}

// After a layer turn the world re-orients before it moves: the sweep starts from the
// re-oriented box at the old position.
TEST(AxisAlignedBoundingBox, ReorientedBoxSweepsFromItsNewShape) {
    AxisAlignedBoundingBox box;
    box.setExtents(-1, 1, -1, 1, 0, 4, Z_AXIS, Y_AXIS);
    box.moveTo(Vec3f(0, 0, 0), false);
    box.orient(X_AXIS, Y_AXIS);
    expectIntervals(box, {-1, 1, -1, 1, 0, 4}); // orient alone leaves the bounds
    box.moveTo(Vec3f(0, 1, 0), true);
    expectIntervals(box, {0, 4, -1, 2, -1, 1});
}

TEST(AxisAlignedBoundingBox, HalfLengthsAreHalfTheSizePerWorldAxis) {
    AxisAlignedBoundingBox box;
    box.setExtents(-1, 1, -2, 2, 0, 3, Z_AXIS, Y_AXIS);
    Vec3f half;
    box.getHalfLengths(half);
    expectVecNear(half, Vec3f(1, 2, 1.5f), 0.0f);
    box.orient(NEG_X_AXIS, Z_AXIS);
    box.getHalfLengths(half);
    expectVecNear(half, Vec3f(1.5f, 1, 2), 0.0f);
}

#ifndef NDEBUG
TEST(AxisAlignedBoundingBoxDeathTest, ExtentsMustNotBeReversed) {
    AxisAlignedBoundingBox box;
    EXPECT_DEATH(box.setExtents(1, -1, 0, 0, 0, 0, Z_AXIS, Y_AXIS), "startX <= endX");
    EXPECT_DEATH(box.setExtents(0, 0, 2, -2, 0, 0, Z_AXIS, Y_AXIS), "startY <= endY");
    EXPECT_DEATH(box.setExtents(0, 0, 0, 0, 3, 0, Z_AXIS, Y_AXIS), "startZ <= endZ");
    box.setExtents(0, 0, 0, 0, 0, 0, Z_AXIS, Y_AXIS); // equal ends are allowed
}
#endif

} // namespace
