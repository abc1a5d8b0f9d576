#include <gtest/gtest.h>

#include <cmath>

#include "entities/explosion.h"
#include "entities/projectile.h"
#include "entities/tank.h"
#include "entitytesting.h"
#include "math/randomsource.h"
#include "support/vecexpect.h"

namespace {

class ShellTest : public EntityTest {
protected:
    template <typename T> T* only(int type) {
        std::vector<Object*> found = objectsOfType(world, type);
        return found.size() == 1 ? static_cast<T*>(found[0]) : nullptr;
    }
};

TEST_F(ShellTest, AShellFromARestingTankFliesTheBallisticPathAndLandsOnItsRadius) {
    Tank* tank = new Tank(Vec3f(0, 0, 42), &world);
    world.addObject(tank);
    tank->setFireButton(true);
    Projectile* shell = only<Projectile>(PROJECTILE);
    ASSERT_NE(shell, nullptr);
    Vec3f start = shell->position, v = shell->velocity;
    expectVecNear(v, Vec3f(0, 44, 26.7232659f), 1e-4f);
    // Against the exact parabola, which the sub-stepped flight trails by g t MAX_STEP / 2.
    float t = 0;
    for (; (shell = only<Projectile>(PROJECTILE)); t += TICK) {
        expectVecNear(shell->position, start + v * t + Vec3f(0, 0, -37.5f * t * t), 0.375f * t);
        world.update(TICK);
        ASSERT_LT(t, 2);
    }
    Explosion* blast = only<Explosion>(EXPLOSION);
    ASSERT_NE(blast, nullptr);
    // Where the parabola comes down to the radius, 0.4 above the face, and at most one sub-step
    // below it.
    float landing = (v.z() + std::sqrt(v.z() * v.z() + 150 * (start.z() - 42.4f))) / 75;
    EXPECT_NEAR(blast->position.y(), start.y() + v.y() * landing, 0.375f * landing + 0.45f);
    EXPECT_TRUE(blast->position.z() <= 42.4f && blast->position.z() > 42.1f);
    EXPECT_NEAR(blast->radius + 5 * blast->growth, 8, 1e-4f); // the radius it approaches
    EXPECT_TRUE(world.validate());
}

TEST_F(ShellTest, UpdateSubStepsAndSweepsItsBoxAndANukeBlastsBigger) {
    Projectile* shell = new Projectile(Vec3f(0, 0, 60), Vec3f(), &world, ITEM_PROJECTILE);
    world.addObject(shell);
    shell->update(0.035f);
    // Steps of 0.01, 0.01, 0.01 and 0.005, each velocity first: 75 * 0.000775 down.
    EXPECT_NEAR(shell->position.z(), 60 - 75 * 0.000775f, 2e-5f);
    EXPECT_NEAR(shell->matrix.at(3, 2), shell->position.z(), 1e-5f);
    EXPECT_NEAR(shell->boundingBox.intervals[4], shell->position.z() - 0.4f, 1e-5f);
    EXPECT_NEAR(shell->boundingBox.intervals[5], 60.4f, 1e-5f); // swept from the start
    // A nuke lands on its 0.8 radius, in the sub-step that gets there, with a size-20 blast.
    Projectile* nuke = new Projectile(Vec3f(0, 0, 42.83f), Vec3f(0, 0, -3), &world, ITEM_NUKE);
    world.addObject(nuke);
    nuke->update(0.5f);
    Explosion* blast = only<Explosion>(EXPLOSION);
    ASSERT_NE(blast, nullptr);
    EXPECT_NEAR(blast->position.z(), 42.83f - 0.0375f, 1e-4f);
    EXPECT_FLOAT_EQ(blast->growth, 20 * 0.2f);
    // Its box is 8 wide all the same.
    EXPECT_FLOAT_EQ(blast->boundingBox.intervals[1] - blast->boundingBox.intervals[0], 8);
    EXPECT_TRUE(world.validate());
}

TEST_F(ShellTest, ExplosionGrowsShrinksAndEndsInTheUpdateThatTakesItBelowZero) {
    randomSource.seed(7);
    Explosion* blast = new Explosion(Vec3f(0, 0, 42), &world, 8);
    world.addObject(blast);
    for (const Spark& s : blast->sparks)
        EXPECT_TRUE(s.elevation <= 180 || (s.elevation >= 540 && s.elevation < 720));
    blast->sparks[0].elevation = 176;
    blast->sparks[1].elevation = 716;
    blast->sparks[2].azimuth = 700;
    blast->update(TICK);
    EXPECT_EQ(blast->sparks[0].elevation, 540); // past the top: on from straight below
    EXPECT_EQ(blast->sparks[0].previousElevation, 540);
    EXPECT_EQ(blast->sparks[1].elevation, 0);
    EXPECT_EQ(blast->sparks[2].azimuth, 0);
    EXPECT_FLOAT_EQ(blast->radius, 1.6f);
    blast->update(TICK);
    EXPECT_FLOAT_EQ(blast->radius, 2.88f);
    int ticks = 2;
    for (; blast->expanding; ++ticks)
        blast->update(TICK);
    EXPECT_NEAR(ticks, 36, 1);
    EXPECT_TRUE(blast->radius > 7.99f && blast->radius < 8);
    for (float radius = blast->radius; radius >= 0.5f; radius -= 0.5f) {
        blast->update(TICK);
        ASSERT_NEAR(blast->radius, radius - 0.5f, 1e-4f);
    }
    blast->update(TICK); // below zero: gone, and deleted (the sanitizer build checks)
    EXPECT_TRUE(world.movables.empty());
    EXPECT_TRUE(world.validate());
    EXPECT_FLOAT_EQ(Explosion::sineTable()[60], 0.5f);
    EXPECT_FLOAT_EQ(Explosion::cosineTable()[240], -0.5f);
}

} // namespace
