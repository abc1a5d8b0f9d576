#pragma once

#include <vector>

#include "world/world.h"

// The objects of one type in the world, in list order.
inline std::vector<Object*> objectsOfType(const World& world, int type) {
    std::vector<Object*> found;
    for (Object* object : world.movables)
        if (object->type == type)
            found.push_back(object);
    return found;
}

// World ticks at the nominal rate.
constexpr float TICK = 1.0f / 60;
