#pragma once

// Match floor: the rules of a match over the world, headless. May use entities and the layers
// below, and input; no window, no drawing.

#include "input/controlstate.h"

class Tank;
class World;

// One place at a match: a tank in the world and what drives it. Each tick the match reads the
// seat's input source (while its tank lives) and hands the seat what it read; the seat reads
// it the way every player's controls read (dead zone, trigger threshold, one item switch per
// pull, the first layer button pressed) and drives the tank through the tank's own controls.
// The world owns the tank; the input source belongs to whoever made it. A seat without an
// input source stands still.
class Seat {
public:
    explicit Seat(InputSource* gamepad) : gamepad(gamepad) {}
    virtual ~Seat() = default;
    Seat(const Seat&) = delete;
    Seat& operator=(const Seat&) = delete;

    // Whether the match reads the source this tick: a living tank with a source.
    bool listening() const;
    // Whether a computer drives the seat (its source's kind is "computer"), not a person.
    bool computer() const;
    // One tick of control (dt seconds): drives the tank as `controls` say. Returns whether the
    // tank was driven (listening() was true; it turns false for good when the tank dies).
    virtual bool update(float dt, const ControlState& controls);
    // The same with the seat's own source read now, when it is listening.
    bool update(float dt);

    bool alive = true;             // false once the tank has no health left
    bool won = false;              // the last seat alive
    Tank* tank = nullptr;          // owned by the world
    World* world = nullptr;        // the world the tank lives in
    InputSource* gamepad;          // what drives the seat, or null; not owned
    float triggerThreshold = 0.7f; // trigger travel that counts as pressed
    float deadZone = 0.2f;         // stick travel ignored round the centre
    bool switchLatch = false;      // the item-switch trigger was pressed at the last tick

protected:
    // |v| below the dead zone reads 0; the rest is stretched back to [0, 1] keeping the sign.
    float beyondDeadZone(float v) const;

private:
    void driveAndTurn(float dt, const ControlState& controls);
    void useTriggers(const ControlState& controls);
    void turnLayers(const ControlState& controls);
};

// The button (0..5) that asks a seat's tank for rotateLayer(axisChoice, direction); the first
// pressed of them wins, in the order 2, 1, 3, 0, 4, 5.
int layerButton(int axisChoice, bool direction);

// Ticks since the last item switch of any seat, printed at each switch.
extern int ticksSinceItemSwitch;
