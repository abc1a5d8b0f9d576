#pragma once

// Input floor: what drives a player or a menu, read like a gamepad. May use GLUT's key codes;
// no window, no SDL.

#include <string>

// The controls of a standard game pad by the names scripts give them, each with the range its
// value takes, in the order and with the numbers of the standard controller layout (SDL's game
// controller API numbers its axes and buttons the same way; the SDL back end checks it).
enum class PadControlKind {
    STICK,   // -1 .. 1, y downwards
    TRIGGER, // 0 .. 1
    BUTTON,  // 0 released or 1 pressed
};

struct PadControl {
    const char* name; // "leftx", "a", "dpup", ...
    PadControlKind kind;
    int number; // the axis number for sticks and triggers, else the button number
};

constexpr int PAD_CONTROL_COUNT = 21;
extern const PadControl PAD_CONTROLS[PAD_CONTROL_COUNT];

// The control called `name`, or null.
const PadControl* findPadControl(const std::string& name);
