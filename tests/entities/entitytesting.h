#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "entities/tank.h"
#include "world/world.h"

// World ticks at the nominal rate.
constexpr float TICK = 1.0f / 60;

inline std::vector<Object*> objectsOfType(const World& world, int type) {
    std::vector<Object*> found;
    std::copy_if(world.movables.begin(), world.movables.end(), std::back_inserter(found),
                 [type](const Object* o) { return o->type == type; });
    return found;
}

// A 3x3x3 world of 28-unit cubies (faces 42 from the centre, gravity 75), as the game plays it.
// The tank's sizes are read before any case runs, so a case may use them before its first tank.
class EntityTest : public ::testing::Test {
protected:
    EntityTest() { Tank::loadModel(); }
    World world{3, 28};
};
