#pragma once

#include <memory>

#include "entities/item.h"
#include "entities/treadtrail.h"
#include "math/constants.h"
#include "math/vectors.h"
#include "world/object.h"
#include "world/worldevent.h"

// The vehicle a player drives: it stands on one face, accelerates along its heading, turns
// about the face normal, uses the items of a three-slot inventory (shells, nukes, health,
// random turns), turns the cube layer it stands in, and loses one of its ten health points to
// each explosion that reaches it. It never drives over an edge: only layer turns carry it to
// another face.
//
// Owns its items and its tread trail. The world that addTank made it in owns the tank itself
// and deletes it with the world; a destroyed tank only leaves the world's lists, because its
// player still reads its health. A tank may be made without a world (a decoration): it then
// draws, but neither moves, fires nor turns layers.
//
// The model's sizes (tankRadius, halfHeight, the extents) are read from "models/tank_01.obj" by
// the first tank constructed, without GL; its display list is compiled by the first draw.
class Tank : public Object {
public:
    static constexpr float PROJECTILE_SPEED = 44.0f;  // world units per second, forward
    static constexpr float LAUNCH_RISE = 0.60734695f; // upward launch speed / PROJECTILE_SPEED
    static constexpr float TRIPLE_SPREAD = 0.4f;      // sideways speed / PROJECTILE_SPEED
    static constexpr float STUN_TIME = 1.5f;          // seconds, from a hit
    static constexpr float INVULNERABLE_TIME = 4.0f;  // seconds, from a hit
    static constexpr float SPIN_SPEED = 540.0f;       // degrees per second while stunned
    static constexpr int MAX_HEALTH = 10;
    static constexpr float DEATH_EXPLOSION_SIZE = 20.0f; // world units
    static constexpr int SLOTS = 3;

    // Stands the tank at `position` (on a face) in `world`, which may be null. Prints
    // "pos: x,y,z".
    Tank(const Vec3f& position, World* world);
    ~Tank() override;
    Tank(const Tank&) = delete;
    Tank& operator=(const Tank&) = delete;

    // GL only: the model (unless blinked off), then the tread marks (not in the shadow pass).
    void draw(bool shadow) override;
    // The tread marks turn with the layer too.
    void transform(const Matrix4f& m) override;
    // One tick: braking or driving, the edge stop, timers, spin, blink, tread marks.
    void update(float dt) override;
    // GL only: the model, or a flag just beyond the miniature's rim, or nothing.
    void drawOnMap(const Vec3f& viewDirection) override;

    // Controls, once per tick from the player's gamepad.
    void setDrive(int direction); // 0 none, 1 forward, 2 backward
    // `amount` is the signed stick deflection times dt; positive turns clockwise seen from above.
    void turn(float amount);
    void setFireButton(bool pressed); // uses the selected item once per press
    void nextItem();
    // Turns the layer the tank stands in about its right (0), forward (1) or up (2) axis;
    // `direction` is the sense relative to the tank's own axis.
    void rotateLayer(int axisChoice, bool direction);

    // What rotateLayer asks of the world: the world axis (0..2) the tank's own axis points
    // along most, the tank's coordinate on it (which picks the layer) and the direction of the
    // cube's turn (0 positive angles, 1 negative). Whoever predicts a turn asks the same.
    struct LayerTurn {
        int axis;
        float coordinate; // world units
        int direction;
    };
    LayerTurn layerTurn(int axisChoice, bool direction) const;

    // The shell a shot would launch now: where it starts (one frame behind the muzzle) and its
    // velocity (world units per second), `sideways` added. Whoever predicts a shot flies the
    // same.
    struct Shot {
        Vec3f start;
        Vec3f launch;
    };
    Shot shotNow(const Vec3f& sideways = Vec3f()) const;

    // Takes ownership of `item` into the first free slot from the selected one on. With no free
    // slot (or no item) nothing changes, the item is deleted and the result is false.
    bool addItem(Item* item);
    // The first slot from `start` on (mod 3) that is empty (wantEmpty) or filled (otherwise);
    // 0 when there is none.
    int findSlot(int start, bool wantEmpty) const;
    // One hit from an explosion: ignored while invulnerable or once destroyed; otherwise stun,
    // blink, one point less, and at 0 points the death explosion and the tank leaves the world.
    void hit();
    void loseHealth() { --health; }
    int getHealth() const { return health; }
    // Uses the selected item (see setFireButton).
    void useItem();

    // GL only: material, colour and spin about the model's up axis, then the display list.
    void drawModel();

    // Checks the tank's frame (unit forward in the face plane, matrix in step with position,
    // forward and up), its inventory count and selection, health and timers' ranges, and the
    // trail. Returns false and says why on failure.
    bool validate() const;

    int driveDirection = 0;     // 0 none, 1 forward, 2 backward
    float stunTime = 0;         // seconds; while > 0 no driving, turning or items, and a spin
    float invulnerableTime = 0; // seconds; while > 0 hits are ignored and the tank blinks
    bool visible = true;        // false in the off half of a blink
    float spinAngle = 0;        // degrees about the model's up axis
    float halfHeight;           // the box centre sits this far above position, along up
    float maxForwardSpeed = 30; // world units per second
    float maxReverseSpeed = 10; // world units per second
    float acceleration = 10;    // world units per second squared
    float friction = 0.07f;     // part of the (damped) velocity removed per tick
    Item* items[SLOTS] = {};    // owned; null when empty
    int itemCount = 0;          // filled slots
    int currentItem = 0;        // selected slot
    float turnRate = static_cast<float>(PI) / 2; // radians per second at full stick
    int health = MAX_HEALTH;
    Vec4f colour{0.2f, 0.2f, 0.2f, 1};
    Vec4f specular{0.9f, 0.9f, 0.9f, 1};
    float shininess = 20;
    bool fireHeld = false; // fire button state of the previous tick
    std::unique_ptr<TreadTrail> treadTrail;

    // Class-wide, from the model: set by the first construction.
    static unsigned int displayList; // 0 until the first draw
    static float tankRadius;         // half the footprint's diagonal, world units
    static float modelExtents[3];    // along local X, Y, Z after scaling, world units
    static Vec3f muzzleOffset;       // barrel tip: forward (y) and up (z) of position
    // Reads the class-wide sizes now rather than at the first construction (no GL; exits with
    // a message when the model is unreadable). Later calls do nothing.
    static void loadModel();

private:
    static void compileModel();
    void brake();
    void drive(float dt);
    bool leavesFace(const Vec3f& point) const;
    void advanceTimers(float dt);
    void fire(int kind, const Vec3f& sideways);
    Vec3f muzzle() const; // the barrel's tip, world units
    void report(WorldEventKind kind, const Vec3f& where) const;
    void useSelected(Item& item);
    void die();
};
