#pragma once

// Input floor: what drives a player or a menu, read like a gamepad. May use GLUT's key codes;
// no window, no SDL.

#include <string>

// What drives a player: a gamepad, or the keyboard standing in for one. Every source reads like
// a gamepad, so the player's control update is the same for all: sticks with x to the right and
// y downwards in [-1, 1], the two triggers in [0, 1] (TRIGGER_RELEASED at rest, TRIGGER_PULLED
// all the way), buttons 0..9. Owned by whoever made it (the joystick manager for pads, the game
// screen for the keyboard).
constexpr float TRIGGER_RELEASED = 0.0f;
constexpr float TRIGGER_PULLED = 1.0f;

// A stick's deflection: x to the right and y downwards (towards the player), each in [-1, 1].
struct StickPosition {
    float x = 0.0f;
    float y = 0.0f;
};

class InputSource {
public:
    virtual ~InputSource() = default;

    // Takes in the latest state; call once per tick before reading.
    virtual void update() = 0;
    virtual StickPosition leftStick() const = 0;
    virtual StickPosition rightStick() const = 0;
    // In [TRIGGER_RELEASED, TRIGGER_PULLED], whatever the device reports.
    virtual float triggerA() const = 0; // uses the selected item
    virtual float triggerB() const = 0; // selects the next item
    virtual bool button(int index) const = 0;
    // False while a pad is unplugged (it then reads at rest).
    virtual bool connected() const = 0;
    // What the player sees in its view's label: the pad's name, or "Keyboard".
    virtual std::string name() const = 0;
    // What kind of player this source is, as traces and records name it: "pad", "keyboard",
    // "computer".
    virtual const char* kind() const = 0;
    // Whether the source is a pad that may shake (the keyboard never does).
    virtual bool canRumble() const { return false; }
    // Shakes it at `strength` (0..1) for `ms` milliseconds, replacing a shake under way. False
    // where it cannot (no motors, unplugged, not a pad).
    virtual bool rumble(float strength, unsigned ms) {
        (void)strength;
        (void)ms;
        return false;
    }
};
