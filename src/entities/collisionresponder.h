#pragma once

#include <vector>

#include "collision/collisiondetector.h"
#include "math/vectors.h"

class Object;
class World;

// Turns the overlapping pairs of one tick into what they mean, pair type by pair type: tanks and
// shells bounce off blocks and off obstacle meshes, a tank takes an item from an item box it
// touches, an explosion's blast hits the tanks it reaches, and a block crushes an item box. Any
// other overlap (two tanks, a tank and a shell, ...) means nothing: shells hurt only through the
// explosions they leave. Made by the world for one response pass; owns nothing.
class CollisionResponder {
public:
    static constexpr float TANK_BOUNCE = 0.7f;       // restitution of a tank off a block or mesh
    static constexpr float PROJECTILE_BOUNCE = 0.4f; // of a shell
    static constexpr float SLOW_TANK_SPEED = 5.0f;   // units per second: below it, pushed harder

    explicit CollisionResponder(World* world) : world(world) {}

    // Every record in list order. The records stay with the caller. A record naming an object
    // that an earlier record of the pass took out of the world (a box already picked up, a
    // tank already destroyed) is skipped.
    void respondAll(const std::vector<Collision*>& collisions, float dt);
    void respond(Collision* c, float dt);

    // A point that was at prevCentre at the start of the tick and moves by `velocity` per
    // second against the box centred at prevCentre + rel with half sizes halfSize: when it
    // enters the box during the tick, the velocity reflected off the face entered (keeping
    // `restitution` of its normal part) and where the point ends the tick after bouncing there.
    bool bounceOffBox(const Vec3f& prevCentre, const Vec3f& rel, const Vec3f& velocity,
                      const Vec3f& halfSize, float restitution, Vec3f& outCentre,
                      Vec3f& outVelocity) const;

    World* world; // the world whose objects collide; not owned
    float dt = 0; // seconds, the tick being answered

private:
    void pickUp(Object* tank, Object* itemBox);
    void blast(Object* tank, Object* explosion);
    void tankOffBox(Object* tank, Object* box);
    void shellOffBox(Object* shell, Object* box);
    void tankOffMesh(Object* tank, Object* obstacle);
    void shellOffMesh(Object* shell, Object* obstacle);
    bool inWorld(const Object* object) const;
};

// Installs the responder as the collision response of every world made from now on.
void installCollisionResponse();
