#include <gtest/gtest.h>

#include <cmath>

#include "entities/explosion.h"
#include "entities/projectile.h"
#include "entities/tank.h"
#include "entitytesting.h"
#include "math/randomsource.h"
#include "support/vecexpect.h"

namespace {

class ShellTest : public ::testing::Test {
protected:
    // The one object of `type` in the world, or null.
    template <typename T> T* only(int type) {
        std::vector<Object*> found = objectsOfType(world, type);
        return found.size() == 1 ? static_cast<T*>(found[0]) : nullptr;
    }
    World world{3, 28}; // faces 42 from the centre, gravity 75
};

TEST_F(ShellTest, AShellFromARestingTankFliesTheBallisticPathAndLandsOnItsRadius) {
    Tank* tank = new Tank(Vec3f(0, 0, 42), &world);
    world.addObject(tank);
    tank->setFireButton(true);
    Projectile* shell = only<Projectile>(PROJECTILE);
    ASSERT_NE(shell, nullptr);
    expectVecNear(shell->velocity, Vec3f(0, 44, 26.7232659f), 1e-4f);
    Vec3f start = shell->position, v = shell->velocity;
    // Against the exact parabola; the sub-stepped flight sags behind it by g t MAX_STEP / 2.
    float t = 0;
    while (only<Projectile>(PROJECTILE)) {
        world.update(TICK);
        t += TICK;
        if (Projectile* flying = only<Projectile>(PROJECTILE)) {
            Vec3f exact = start + v * t + Vec3f(0, 0, -37.5f * t * t);
            expectVecNear(flying->position, exact, 75 * t * 0.005f + 1e-3f);
        }
        ASSERT_LT(t, 2);
    }
    // Height 0.4 (the radius) on the exact parabola, 0.736 s after the launch.
    float rise = start.z() - 42.4f, landing = (v.z() + std::sqrt(v.z() * v.z() + 150 * rise)) / 75;
    Explosion* blast = only<Explosion>(EXPLOSION);
    ASSERT_NE(blast, nullptr);
    EXPECT_NEAR(blast->position.x(), 0, 1e-4f);
    EXPECT_NEAR(blast->position.y(), start.y() + v.y() * landing, 75 * landing * 0.005f + 0.45f);
    // At most one sub-step below the radius.
    EXPECT_LE(blast->position.z(), 42.4f);
    EXPECT_GT(blast->position.z(), 42.4f - 30 * Projectile::MAX_STEP);
    EXPECT_NEAR(blast->radius + 5 * blast->growth, 8, 1e-4f); // what the radius approaches
    EXPECT_TRUE(world.validate());
}

TEST_F(ShellTest, UpdateSubStepsAndSweepsItsBox) {
    Projectile* shell = new Projectile(Vec3f(0, 0, 60), Vec3f(), &world, ITEM_PROJECTILE);
    world.addObject(shell);
    shell->update(0.035f);
    // Steps of 0.01, 0.01, 0.01 and 0.005, each velocity first: 75 * 0.000775 down.
    EXPECT_NEAR(shell->velocity.z(), -75 * 0.035f, 1e-5f);
    EXPECT_NEAR(shell->position.z(), 60 - 75 * 0.000775f, 2e-5f);
    const float* box = shell->boundingBox.intervals;
    EXPECT_NEAR(box[4], shell->position.z() - 0.4f, 1e-5f);
    EXPECT_NEAR(box[5], 60.4f, 1e-5f); // swept from the start
    EXPECT_NEAR(shell->matrix.at(3, 2), shell->position.z(), 1e-5f);
    // A nuke is twice as big, lands on its 0.8 radius and leaves a size-20 blast.
    Projectile* nuke = new Projectile(Vec3f(0, 0, 42.83f), Vec3f(0, 0, -3), &world, ITEM_NUKE);
    world.addObject(nuke);
    EXPECT_EQ(nuke->radius, 0.8f);
    nuke->update(0.01f);
    Explosion* blast = only<Explosion>(EXPLOSION);
    ASSERT_NE(blast, nullptr);
    EXPECT_NEAR(blast->position.z(), 42.83f - 0.0375f, 1e-4f);
    blast->update(TICK);
    EXPECT_FLOAT_EQ(blast->radius, 4);
    EXPECT_TRUE(world.validate());
}

TEST_F(ShellTest, ExplosionGrowsShrinksAndEndsInTheUpdateThatTakesItBelowZero) {
    randomSource.seed(7);
    Explosion* blast = new Explosion(Vec3f(0, 0, 42), &world, 20);
    world.addObject(blast);
    // 8 wide whatever the size.
    EXPECT_FLOAT_EQ(blast->boundingBox.intervals[0], -4);
    EXPECT_FLOAT_EQ(blast->boundingBox.intervals[5], 46);
    for (const Spark& s : blast->sparks) {
        EXPECT_TRUE(s.distance >= 1.01f && s.distance <= 1.4f);
        EXPECT_TRUE(s.azimuth >= 0 && s.azimuth < 720);
        EXPECT_TRUE(s.elevation <= 180 || (s.elevation >= 540 && s.elevation < 720));
        EXPECT_TRUE(s.length >= 5 && s.length <= 12);
        EXPECT_EQ(s.colour.x(), 1); // hues from red to yellow
        EXPECT_EQ(s.colour.z(), 0);
    }
    blast->sparks[0].elevation = 176;
    blast->sparks[1].elevation = 716;
    blast->sparks[2].azimuth = 700;
    blast->update(TICK);
    EXPECT_FLOAT_EQ(blast->radius, 4);
    EXPECT_EQ(blast->sparks[0].elevation, 540); // 180 is past the top: on from straight below
    EXPECT_EQ(blast->sparks[0].previousElevation, 540);
    EXPECT_EQ(blast->sparks[1].elevation, 0);
    EXPECT_EQ(blast->sparks[2].azimuth, 0);
    EXPECT_EQ(blast->sparks[2].previousAzimuth, 700);
    blast->update(TICK);
    EXPECT_FLOAT_EQ(blast->radius, 7.2f);
    int ticks = 2;
    while (blast->expanding) {
        blast->update(TICK);
        ++ticks;
    }
    EXPECT_NEAR(ticks, 36, 1);
    EXPECT_GT(blast->radius, 19.99f);
    EXPECT_LT(blast->radius, 20);
    for (float radius = blast->radius; radius - 0.5f >= 0; radius -= 0.5f) {
        blast->update(TICK);
        ASSERT_NEAR(blast->radius, radius - 0.5f, 1e-4f);
        ASSERT_TRUE(world.validate());
    }
    blast->update(TICK); // below zero: gone, deleted
    EXPECT_TRUE(world.movables.empty());
    EXPECT_TRUE(world.validate());
    const float* sine = Explosion::sineTable();
    EXPECT_FLOAT_EQ(sine[60], 0.5f);
    EXPECT_FLOAT_EQ(Explosion::cosineTable()[240], -0.5f);
    EXPECT_NEAR(sine[540], -1, 1e-6f);
}

} // namespace
