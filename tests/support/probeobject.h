#pragma once

#include <functional>

#include "world/object.h"

// A world object for tests: counts its updates and draws, runs an optional action on update,
// and reports its destruction.
class ProbeObject : public Object {
public:
    ProbeObject(const Vec3f& position, World* world, int objectType = TANK,
                int* destroyed = nullptr)
        : Object(position, world), destroyed(destroyed) {
        type = objectType;
        boundingBox.setExtents(-1, 1, -1, 1, -1, 1, up, forward);
        boundingBox.moveTo(position, false);
    }
    ~ProbeObject() override {
        if (destroyed)
            ++*destroyed;
    }

    void draw(bool shadow) override { ++(shadow ? shadowDraws : draws); }
    void update(float dt) override {
        ++updates;
        lastDt = dt;
        if (onUpdate)
            onUpdate(*this);
    }

    int updates = 0;
    int draws = 0;
    int shadowDraws = 0;
    float lastDt = 0;
    std::function<void(ProbeObject&)> onUpdate;

private:
    int* destroyed;
};
