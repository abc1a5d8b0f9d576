#include <gtest/gtest.h>

#include "entities/item.h"
#include "entities/itembox.h"
#include "entities/itemtextures.h"
#include "math/randomsource.h"
#include "world/world.h"

namespace {

TEST(Items, OddsFollowTheOrderOfTheTests) {
    // Every roll of 1..100 against the table: 40 single, 20 triple, 20 health, 10 nuke, 10 turns.
    int perRoll[ITEM_KIND_COUNT] = {};
    for (int roll = 1; roll <= 100; ++roll)
        ++perRoll[itemKindForRoll(roll)];
    EXPECT_EQ(itemKindForRoll(80), ITEM_HEALTH);
    EXPECT_EQ(itemKindForRoll(81), ITEM_NUKE);
    const int expected[ITEM_KIND_COUNT] = {40, 20, 10, 20, 10};
    randomSource.seed(11);
    const int draws = 100000;
    int drawn[ITEM_KIND_COUNT] = {};
    for (int i = 0; i < draws; ++i) {
        Item* item = randomItem();
        ++drawn[item->kind];
        delete item;
    }
    for (int kind = 0; kind < ITEM_KIND_COUNT; ++kind) {
        EXPECT_EQ(perRoll[kind], expected[kind]) << kind;
        EXPECT_NEAR(drawn[kind] * 100.0 / draws, expected[kind], 0.6) << kind;
    }
    // The icons were read once, by the first item, and stay.
    ItemTextures& icons = ItemTextures::instance();
    ASSERT_TRUE(icons.imagesLoaded);
    const unsigned char* first = icons.images[ITEM_NUKE].pixels.get();
    delete new Item(ITEM_NUKE);
    EXPECT_EQ(icons.images[ITEM_NUKE].pixels.get(), first);
    for (const ItemTextures::Image& image : icons.images)
        EXPECT_TRUE(image.pixels && image.width > 0 && image.height > 0);
}

TEST(Items, BoxSpinsItsCubeTurnsWithoutRestAndItsBoxFloats) {
    World world(3, 28);
    ItemBox* box = new ItemBox(Vec3f(3, -5, 42), &world);
    world.addObject(box);
    // From 1 to 3 above the face, 1.75 square.
    const float* b = box->boundingBox.intervals;
    EXPECT_FLOAT_EQ(b[4], 43);
    EXPECT_FLOAT_EQ(b[5], 45);
    EXPECT_FLOAT_EQ(b[1] - b[0], 1.75f);
    int turnsStarted = 0;
    for (int tick = 1; tick <= 19 * 10; ++tick) {
        bool wasTurning = box->cube.isRotating;
        world.update(1.0f / 60);
        turnsStarted += !wasTurning && box->cube.isRotating;
        // Idle for at most the one tick in which a turn ends.
        ASSERT_TRUE(box->cube.isRotating || wasTurning);
        ASSERT_TRUE(box->cube.validate());
    }
    EXPECT_EQ(turnsStarted, 10); // 18 steps a turn, one tick to start the next
    EXPECT_NEAR(box->spinAngle, 120 * 190 / 60.0f, 1e-2f);
    EXPECT_TRUE(world.validate());
}

} // namespace
