#include <gtest/gtest.h>

#include "collisiondetector_testing.h"

namespace {

using collisiontesting::Pair;
using collisiontesting::query;
using collisiontesting::TestBox;
using Pairs = std::vector<Pair>;

Vec3f cube(float v) {
    return Vec3f(v, v, v);
}

TEST(CollisionDetector, ReportsEachPairLaterFirstOnlyWhileAllThreeAxesOverlap) {
    CollisionDetector detector;
    std::vector<Collision*> records(1, nullptr); // a stale entry the query must clear
    detector.getCollisions(records);
    EXPECT_TRUE(records.empty());

    TestBox a(cube(0), cube(2));
    detector.addObject(a.boundingBox, &a);
    EXPECT_EQ(query(detector), Pairs{});
    TestBox b(Vec3f(1, 1, 5), Vec3f(3, 3, 6)); // meets a on x and y only
    detector.addObject(b.boundingBox, &b);
    EXPECT_EQ(query(detector), Pairs{});
    TestBox c(cube(1), cube(3)); // overlaps a from the start
    detector.addObject(c.boundingBox, &c);
    EXPECT_EQ(query(detector), Pairs{Pair(&c, &a)});
    ASSERT_TRUE(detector.validate());

    b.moveTo(Vec3f(0, 0, -4)); // z 1..2: b meets a and c
    EXPECT_EQ(query(detector), (Pairs{Pair(&b, &a), Pair(&c, &a), Pair(&c, &b)}));
    b.moveTo(Vec3f(0, -5, -4)); // y parts
    EXPECT_EQ(query(detector), Pairs{Pair(&c, &a)});
    EXPECT_TRUE(detector.validate());
}

// Equal end points are decided at registration (existing entries go first) and the sort never
// swaps equal values, so a tie keeps whatever the boxes' history made of it.
TEST(CollisionDetector, TiesKeepTheOrderTheyWereGiven) {
    TestBox low(cube(0), cube(2));
    TestBox high(Vec3f(2, 1, 1), Vec3f(4, 3, 3)); // x touches at 2, y and z overlap
    CollisionDetector maxMeetsNewMin;
    maxMeetsNewMin.addObject(low.boundingBox, &low);
    maxMeetsNewMin.addObject(high.boundingBox, &high);
    EXPECT_EQ(query(maxMeetsNewMin), Pairs{});
    CollisionDetector minMeetsNewMax;
    minMeetsNewMax.addObject(high.boundingBox, &high);
    minMeetsNewMax.addObject(low.boundingBox, &low);
    EXPECT_EQ(query(minMeetsNewMax), Pairs{Pair(&low, &high)});

    high.moveTo(Vec3f(-0.5f, 0, 0)); // overlap, then back to touching: still overlapping
    EXPECT_EQ(query(maxMeetsNewMin), Pairs{Pair(&high, &low)});
    high.moveTo(Vec3f(0, 0, 0));
    EXPECT_EQ(query(maxMeetsNewMin), Pairs{Pair(&high, &low)});
    EXPECT_TRUE(maxMeetsNewMin.validate());

    // A start sliding down past greater entries comes to rest on an equal end.
    CollisionDetector sliding;
    TestBox a(Vec3f(0, 0, 0), Vec3f(2, 1, 1));
    TestBox c(Vec3f(2.5f, 0, 0), Vec3f(2.75f, 1, 1));
    TestBox b(Vec3f(3, 0, 0), Vec3f(5, 1, 1));
    sliding.addObject(a.boundingBox, &a);
    sliding.addObject(c.boundingBox, &c);
    sliding.addObject(b.boundingBox, &b);
    b.moveTo(Vec3f(-1, 0, 0)); // x 2..4
    EXPECT_EQ(query(sliding), Pairs{Pair(&b, &c)});
    EXPECT_TRUE(sliding.validate());
}

TEST(CollisionDetector, PartnersAreReportedInTheOrderTheyBeganToOverlap) {
    CollisionDetector detector;
    TestBox a(Vec3f(0, 0, 0), Vec3f(1, 1, 1));
    TestBox b(Vec3f(2, 0, 0), Vec3f(3, 1, 1));
    TestBox c(Vec3f(10, 0, 0), Vec3f(13, 1, 1));
    detector.addObject(a.boundingBox, &a);
    detector.addObject(b.boundingBox, &b);
    detector.addObject(c.boundingBox, &c);
    c.moveTo(Vec3f(-8.5f, 0, 0)); // x 1.5..4.5: b only
    EXPECT_EQ(query(detector), Pairs{Pair(&c, &b)});
    c.moveTo(Vec3f(-9.5f, 0, 0)); // x 0.5..3.5: a as well
    EXPECT_EQ(query(detector), (Pairs{Pair(&c, &b), Pair(&c, &a)}));
    EXPECT_TRUE(detector.validate());
}

TEST(CollisionDetector, RemovalShiftsLaterObjectsAndKeepsTheirPairs) {
    CollisionDetector detector;
    TestBox a(cube(0), cube(3));
    TestBox b(cube(1), cube(4));
    TestBox c(cube(2), cube(5));
    TestBox stranger(cube(1), cube(2));
    detector.addObject(a.boundingBox, &a);
    detector.addObject(b.boundingBox, &b);
    detector.addObject(c.boundingBox, &c);
    detector.removeObject(&stranger);
    EXPECT_EQ(query(detector), (Pairs{Pair(&b, &a), Pair(&c, &a), Pair(&c, &b)}));

    detector.removeObject(&a);
    detector.removeObject(&a); // now a stranger too
    ASSERT_TRUE(detector.validate());
    ASSERT_EQ(detector.getObjects().size(), 2u);
    EXPECT_EQ(detector.getObjects()[1]->object, &c);
    EXPECT_EQ(query(detector), Pairs{Pair(&c, &b)});
    // The shifted byte must be the live one: parting and meeting again go through it.
    c.moveTo(cube(10));
    EXPECT_EQ(query(detector), Pairs{});
    c.moveTo(cube(0));
    EXPECT_EQ(query(detector), Pairs{Pair(&c, &b)});
    EXPECT_TRUE(detector.validate());
}

TEST(CollisionDetectorDeathTest, ProgrammingErrorsAreCaught) {
    TestBox a(cube(0), cube(2));
    TestBox b(cube(5), cube(6));
    EXPECT_DEATH(
        {
            CollisionDetector detector;
            detector.addObject(a.boundingBox, &a);
            detector.addObject(a.boundingBox, &a);
        },
        "isRegistered");
    EXPECT_DEATH(
        {
            CollisionDetector detector;
            detector.addObject(a.boundingBox, &a);
            detector.addObject(b.boundingBox, &b);
            b.boundingBox.intervals[0] = 7; // min above max: the sort meets b's own entries
            query(detector);
        },
        "i != j");
}

} // namespace
