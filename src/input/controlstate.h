#pragma once

// Input floor: what drives a player or a menu, read like a gamepad. May use GLUT's key codes;
// no window, no SDL.

#include <cstdint>

#include "input/inputsource.h"

// Everything a player's controls read of an input source in one tick, as plain values: what a
// match hands its seats, and what a record or another machine can carry instead of the source.
struct ControlState {
    static constexpr int BUTTONS = 10; // buttons 0..9

    StickPosition left;                // each axis in [-1, 1], y downwards
    StickPosition right;               // each axis in [-1, 1], y downwards
    float triggerA = TRIGGER_RELEASED; // uses the selected item
    float triggerB = TRIGGER_RELEASED; // selects the next item
    uint16_t buttons = 0;              // bit i: button i pressed
    bool connected = false;            // a pad unplugged reads at rest

    bool button(int index) const {
        return index >= 0 && index < BUTTONS && ((buttons >> index) & 1) != 0;
    }
    // Equal in every value, bit for bit (a record keeps exactly what the controls read).
    bool operator==(const ControlState& other) const;
    bool operator!=(const ControlState& other) const { return !(*this == other); }
};

// Polls `source` (its update()) and reads every control.
ControlState readControls(InputSource& source);
