#include <gtest/gtest.h>

#include <vector>

#include "support/vecexpect.h"
#include "world/world.h"

namespace {

constexpr float TICK = 1.0f / 60;

std::vector<WorldEvent> taken(World& world) {
    std::vector<WorldEvent> events;
    world.takeEvents(events);
    return events;
}

// A turn is heard from the middle of its slab, once as it starts and once as it locks, 18
// ticks later; queued random turns follow one another in the very tick the last one locks.
TEST(WorldEvents, TurnsStartAndLockOnceEachAtTheMiddleOfTheirSlab) {
    World world(3, 28);
    world.rotateAt(0, 30, 1); // X layer 2: x from 14 to 42
    std::vector<WorldEvent> events = taken(world);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, WorldEventKind::LAYER_TURN_STARTED);
    expectVecNear(events[0].position, Vec3f(28, 0, 0), 1e-5f);
    EXPECT_EQ(events[0].face, -1);
    EXPECT_EQ(events[0].object, nullptr);
    for (int tick = 1; tick <= 18; ++tick) {
        world.update(TICK);
        events = taken(world);
        if (tick < 18) {
            ASSERT_TRUE(events.empty()) << "tick " << tick;
            continue;
        }
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].kind, WorldEventKind::LAYER_TURN_LOCKED);
        expectVecNear(events[0].position, Vec3f(28, 0, 0), 1e-5f);
    }
    EXPECT_FALSE(world.isRotating);

    world.queueRandomTurns(3);
    std::vector<WorldEventKind> heard;
    std::vector<int> ticks;
    for (int tick = 1; tick <= 60; ++tick) {
        world.update(TICK);
        for (const WorldEvent& e : taken(world)) {
            heard.push_back(e.kind);
            ticks.push_back(tick);
            // The middle of one of the nine slabs: on an axis, 0 or 28 from the centre.
            int off = 0;
            for (int i = 0; i < 3; ++i)
                off += e.position[i] != 0;
            EXPECT_LE(off, 1);
            EXPECT_NEAR(e.position.length(), e.position.length() < 14 ? 0 : 28, 1e-4f);
        }
    }
    using K = WorldEventKind;
    ASSERT_EQ(heard,
              (std::vector<K>{K::LAYER_TURN_STARTED, K::LAYER_TURN_LOCKED, K::LAYER_TURN_STARTED,
                              K::LAYER_TURN_LOCKED, K::LAYER_TURN_STARTED, K::LAYER_TURN_LOCKED}));
    EXPECT_EQ(ticks, (std::vector<int>{1, 19, 19, 37, 37, 55}));
}

// Nobody takes the editor's events: they stop piling up at the bound, and taking them leaves
// none behind.
TEST(WorldEvents, AWorldNobodyListensToKeepsABoundedBacklog) {
    World world(2, 28);
    for (size_t i = 0; i < World::MAX_PENDING_EVENTS + 100; ++i)
        world.report(WorldEvent{WorldEventKind::BLAST, Vec3f(static_cast<float>(i), 0, 28), 4});
    EXPECT_EQ(world.pendingEvents().size(), World::MAX_PENDING_EVENTS);
    EXPECT_EQ(world.droppedEvents, 100u);
    std::vector<WorldEvent> events = taken(world);
    ASSERT_EQ(events.size(), World::MAX_PENDING_EVENTS);
    EXPECT_EQ(events.back().position.x(), static_cast<float>(World::MAX_PENDING_EVENTS - 1));
    EXPECT_TRUE(world.pendingEvents().empty());
    EXPECT_STREQ(worldEventName(WorldEventKind::LAYER_TURN_LOCKED), "layer-turn-locked");
}

} // namespace
