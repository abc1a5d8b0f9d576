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
// explosions they leave. Blocks stay solid: what finds itself inside one (thrown in off a
// neighbour, covered by a turning layer) is put out by the nearest side. A shell that comes to
// rest on a rock lands there. Made by the world for one response pass; owns nothing; taken-out
// item boxes and landed shells go through World::discard.
class CollisionResponder {
public:
    static constexpr float TANK_BOUNCE = 0.7f;       // restitution of a tank off a block or mesh
    static constexpr float PROJECTILE_BOUNCE = 0.4f; // of a shell
    static constexpr float SLOW_TANK_SPEED = 5.0f;   // units per second: below it, pushed harder
    static constexpr int MAX_MESH_BOUNCES = 3;       // a shell's bounces off one rock in a tick
    static constexpr float SETTLED_SPEED = 2.0f;     // units per second: a shell off a rock slower
                                                     // than this has come to rest and lands

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
    std::vector<const Object*> takenOut; // by this pass, directly or by destroying a tank

    void pickUp(Object* tank, Object* itemBox);
    void blast(Object* tank, Object* explosion);
    void tankOffBox(Object* tank, Object* box);
    void shellOffBox(Object* shell, Object* box);
    void tankOffMesh(Object* tank, Object* obstacle);
    void shellOffMesh(Object* shell, Object* obstacle);
    bool inWorld(const Object* object) const;
    // Takes a picked-up or crushed item box or a landed shell out of the world.
    void takeOut(Object* object);
    // A mover whose centre is inside the box centred at boxCentre with half sizes `half` (the
    // block grown by the mover's own half size) leaves it through the nearest side, never one
    // along upAxis (-1: any side will do), and bounces off that side if it was heading in.
    // False, and nothing changes, when the centre is not inside.
    bool pushOut(Object& mover, const Vec3f& centre, const Vec3f& boxCentre, const Vec3f& half,
                 int upAxis, float restitution);
};

// Installs the responder as the collision response of every world made from now on.
void installCollisionResponse();
