#include <gtest/gtest.h>

#include "entities/item.h"
#include "entities/itembox.h"
#include "entities/itemtextures.h"
#include "entitytesting.h"
#include "math/randomsource.h"

namespace {

TEST(Items, OddsFollowTheOrderOfTheTests) {
    // Every roll of 1..100: 40 single, 20 triple, 20 health (tested before the nuke), 10 nukes,
    // 10 turns; then the draws of a seeded run.
    const int expected[ITEM_KIND_COUNT] = {40, 20, 10, 20, 10};
    int perRoll[ITEM_KIND_COUNT] = {}, drawn[ITEM_KIND_COUNT] = {};
    for (int roll = 1; roll <= 100; ++roll)
        ++perRoll[itemKindForRoll(roll)];
    EXPECT_EQ(itemKindForRoll(80), ITEM_HEALTH);
    randomSource.seed(11);
    for (int i = 0; i < 100000; ++i) {
        Item* item = randomItem();
        ++drawn[item->kind];
        delete item;
    }
    for (int kind = 0; kind < ITEM_KIND_COUNT; ++kind) {
        EXPECT_EQ(perRoll[kind], expected[kind]) << kind;
        EXPECT_NEAR(drawn[kind] / 1000.0, expected[kind], 0.6) << kind;
    }
    // The icons were read by the first item only.
    const unsigned char* first = ItemTextures::instance().images[ITEM_NUKE].pixels.get();
    delete new Item(ITEM_NUKE);
    EXPECT_TRUE(first && ItemTextures::instance().images[ITEM_NUKE].pixels.get() == first);
}

using ItemBoxTest = EntityTest;

TEST_F(ItemBoxTest, SpinsFloatsAndItsCubeNeverRests) {
    ItemBox* box = new ItemBox(Vec3f(3, -5, 42), &world);
    world.addObject(box);
    // From 1 to 3 above the face, 1.75 square.
    const float* b = box->boundingBox.intervals;
    EXPECT_TRUE(b[4] == 43 && b[5] == 45 && b[1] - b[0] == 1.75f);
    int turnsStarted = 0;
    for (int tick = 1; tick <= 19 * 10; ++tick) {
        bool wasTurning = box->cube.isRotating;
        world.update(TICK);
        turnsStarted += !wasTurning && box->cube.isRotating;
        // Idle for at most the one tick in which a turn ends.
        ASSERT_TRUE(box->cube.isRotating || wasTurning);
        ASSERT_TRUE(box->cube.validate());
    }
    EXPECT_EQ(turnsStarted, 10); // 18 steps a turn, and the next starts a tick later
    EXPECT_NEAR(box->spinAngle, 120 * 190 / 60.0f, 1e-2f);
    EXPECT_TRUE(world.validate());
}

} // namespace
