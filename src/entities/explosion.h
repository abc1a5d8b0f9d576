#pragma once

#include "math/vectors.h"
#include "world/object.h"

// One coloured arc circling an explosion's centre. Angles are in half degrees (0..719) so that
// they index the explosion's sine and cosine tables directly.
struct Spark {
    float distance = 0;        // from the centre, as a multiple of the blast radius
    int azimuth = 0;           // about the face normal
    int elevation = 0;         // above the face plane; 540..719 lie below it
    int previousAzimuth = 0;   // before the last update
    int previousElevation = 0; // before the last update
    int length = 0;            // vertices of the drawn arc, 5..12
    Vec3f colour;              // RGB
};

// The blast a shell or a destroyed tank leaves: the only thing that hurts tanks. Swells for
// EXPAND_TIME, then shrinks and, once its radius falls below zero, removes itself from the world
// and deletes itself inside its own update. Its collision box is 8 units wide whatever its size.
// Created with new and handed to World::addObject by whoever sets it off.
class Explosion : public Object {
public:
    static constexpr int SPARK_COUNT = 70;
    static constexpr float EXPAND_TIME = 0.6f;     // seconds
    static constexpr float BOX_HALF_SIZE = 4.0f;   // world units, on every axis
    static constexpr float GROWTH_FRACTION = 0.2f; // first tick's growth as a part of the size
    static constexpr float SHRINK_SPEED = 30.0f;   // world units per second, at 60 ticks/s
    static constexpr int ARC_STEP = 15;            // half degrees between arc vertices
    static constexpr int CLIMB_STEP = 4;           // half degrees of elevation per tick
    static constexpr int SWEEP_STEP = CLIMB_STEP * ARC_STEP; // half degrees of azimuth per tick
    static constexpr int TABLE_SIZE = 720;                   // half degrees in a full turn

    // `size` is the radius the blast approaches (world units).
    Explosion(const Vec3f& position, World* world, float size);

    // GL only. Nothing for the shadow pass: the blast glows, it casts no shadow.
    void draw(bool shadow) override;
    // May delete the explosion: nothing of it may be touched after a call that ends it.
    void update(float dt) override;

    float getRadius() const { return radius; }

    // sin and cos of i / 2 degrees, i = 0..719; filled once, by the first explosion.
    static const float* sineTable();
    static const float* cosineTable();

    float radius = 0; // current blast radius, world units
    bool expanding = true;
    Spark sparks[SPARK_COUNT];
    float growth;     // radius added by the next growing tick
    float expandTime; // seconds left to grow

    static unsigned int displayList; // the unit sphere; 0 until the first draw

private:
    void initSpark(Spark& spark);
    static void updateSpark(Spark& spark);
    void drawSpark(const Spark& spark) const;
};
