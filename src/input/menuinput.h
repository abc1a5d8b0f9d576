#pragma once

// Input floor: what drives a player or a menu, read like a gamepad. May use GLUT's key codes;
// no window, no SDL.

#include "input/inputsource.h"

// Edge detection of one input source for the menus: the left stick digitised to -1, 0 or 1 per
// axis with some hysteresis, and the buttons 0..9 as they were before the last poll. A direction
// therefore acts once per push; holding it does not repeat. Does not own its source.
class MenuInput {
public:
    explicit MenuInput(InputSource* gamepad) : gamepad(gamepad) {}

    void poll();
    // Polls and takes what the source holds now as its rest: a direction or button already held
    // (since another screen was current) acts only after it has been let go. For activation.
    void settle();
    // A direction turns on at pressThreshold and off below releaseThreshold; in between it keeps
    // the state it had.
    int digitise(int state, float v) const;
    bool verticalChanged() const { return y != prevY; }
    // Button b went up at the last poll.
    bool released(int b) const;

    int prevX = 0, x = 0;
    int prevY = 0, y = 0; // positive: the stick pulled towards the player (down)
    bool prevButtons[10] = {};
    bool buttons[10] = {};      // as read at the last poll
    bool heldAtSettle[10] = {}; // held since settle(): its release is not a choice
    InputSource* gamepad;       // not owned
    float pressThreshold = 0.5f;
    float releaseThreshold = 0.4f;
};
