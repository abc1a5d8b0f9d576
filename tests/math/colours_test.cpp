#include <gtest/gtest.h>

#include "math/colours.h"

namespace {

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

} // namespace
