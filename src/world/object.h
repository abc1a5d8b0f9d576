#pragma once

#include "collision/axisalignedboundingbox.h"
#include "math/vectors.h"
#include "world/drawable.h"

class World;

enum ObjectType { TANK = 0, ITEM_BOX = 1, PROJECTILE = 2, BOX = 3, OBSTACLE = 4, EXPLOSION = 5 };

// State every entity of the world shares: where it stands, on which face, how it is turned,
// its collision box, and the world that owns it. Created with new by whoever spawns it and
// owned by the world from addObject until removeObject; whoever removes it deletes it.
class Object : public Drawable {
public:
    // Stands the object upright at `position` on the face the position lies on.
    Object(const Vec3f& position, World* world);

    void draw(bool shadow) override = 0;
    // Turns up, forward, position and velocity and the matrix, and moves the box along
    // (without sweeping). `face` is refreshed by the world when the turn ends.
    void transform(const Matrix4f& m) override;
    // One tick of dt seconds. Nothing for a plain object.
    virtual void update(float dt);
    // Draws into the heads-up display's miniature cube; nothing for a plain object.
    virtual void drawOnMap(const Vec3f& viewDirection);

    Vec3f position; // world position: for standing objects, the centre of the base on the face
    Vec3f up;       // unit outward normal of the face it stands on
    Vec3f forward;  // unit heading, tangent to the face
    Vec3f velocity; // world units per second
    AxisAlignedBoundingBox boundingBox;
    World* world;                 // the owning world; not owned
    bool onRotatingLayer = false; // rides on the layer being turned; set by the world
    int face = 0;                 // 0..5
    int type = TANK;              // ObjectType, set by each subclass
};
