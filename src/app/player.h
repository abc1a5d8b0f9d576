#pragma once

#include "app/followcamera.h"
#include "app/headsupdisplay.h"
#include "app/inputsource.h"

class Tank;
class World;

// One player of a match: a tank in the world, a following camera, a heads-up display, a share
// of the window and what drives it. Owns its camera and display; the world owns the tank; the
// input source belongs to whoever made it. A player without an input source stands still.
class Player {
public:
    explicit Player(InputSource* gamepad);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // One tick of control (dt seconds): reads the input source and drives the tank.
    void update(float dt);

    bool alive = true; // false once the tank has no health left
    bool won = false;  // the last player alive
    int viewportX = 0, viewportY = 0, viewportWidth = 0, viewportHeight = 0; // pixels, GL's origin
    FollowCamera camera;
    HeadsUpDisplay hud;
    Tank* tank = nullptr;          // owned by the world
    World* world = nullptr;        // the world the tank lives in
    InputSource* gamepad;          // what drives the player, or null; not owned
    float triggerThreshold = 0.7f; // trigger travel that counts as pressed
    float deadZone = 0.2f;         // stick travel ignored round the centre
    bool switchLatch = false;      // the item-switch trigger was pressed at the last tick

private:
    // |v| below the dead zone reads 0; the rest is stretched back to [0, 1] keeping the sign.
    float beyondDeadZone(float v) const;
    void driveAndTurn(float dt);
    void useTriggers();
    void turnLayers();
};

// Ticks since the last item switch of any player, printed at each switch.
extern int ticksSinceItemSwitch;
