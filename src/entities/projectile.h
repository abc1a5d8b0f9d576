#pragma once

#include "math/vectors.h"
#include "world/object.h"

// A shell fired by a tank. Flies under the world's gravity (towards the face below it) in
// sub-steps, passes through tanks and item boxes, and when it sinks to the surface of the face
// it was fired from it leaves an Explosion, removes itself from the world and deletes itself
// inside its own update. Created with new and handed to World::addObject by the tank.
class Projectile : public Object {
public:
    static constexpr float PROJECTILE_RADIUS = 0.4f; // world units; also the shared sphere's
    static constexpr float NUKE_RADIUS = 0.8f;
    static constexpr float EXPLOSION_SIZE = 8.0f;
    static constexpr float NUKE_EXPLOSION_SIZE = 20.0f;
    static constexpr float MAX_STEP = 0.01f; // seconds: the longest integration step

    // `kind` is the item kind that fired it (ITEM_PROJECTILE, ITEM_TRIPLE_PROJECTILE or
    // ITEM_NUKE); `launchVelocity` in world units per second. `world` must not be null.
    Projectile(const Vec3f& start, const Vec3f& launchVelocity, World* world, int kind);

    // GL only; the same for the shadow pass (the caller fixes the colour there).
    void draw(bool shadow) override;
    // May delete the shell: nothing of it may be touched after a call in which it lands.
    void update(float dt) override;
    // The flight of update (dt seconds, in sub-steps) without its end: true when the shell has
    // reached its face, where it then stands. Touches nothing but the shell itself, so a copy
    // that no world lists may fly ahead of a real one to see where it lands.
    bool fly(float dt);

    Vec4f colour; // of ordinary and triple shells
    float radius; // world units
    int kind;     // ItemKind

    static unsigned int displayList; // a sphere of PROJECTILE_RADIUS; 0 until the first draw

private:
    bool reachedFace() const;
    void explode();
};
