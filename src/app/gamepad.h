#pragma once

#include <memory>
#include <string>

#include "app/joystick.h"

// A stick's deflection: x to the right and y downwards (towards the player), each in [-1, 1).
struct StickPosition {
    float x = 0.0f;
    float y = 0.0f;
};

// One opened joystick read as a game pad: two sticks, a trigger axis shared by two triggers,
// and buttons. Owns its handle and closes the device reference it stands for when destroyed.
class Gamepad {
public:
    explicit Gamepad(std::unique_ptr<Joystick> joystick);
    ~Gamepad();
    Gamepad(const Gamepad&) = delete;
    Gamepad& operator=(const Gamepad&) = delete;

    void update(); // polls the device

    StickPosition leftStick() const;  // axes 0 and 1
    StickPosition rightStick() const; // axes 4 (x) and 3 (y)
    // The two halves of axis 2: trigger A pulls it negative, trigger B positive. In [-1, 1).
    float triggerA() const;
    float triggerB() const;
    bool button(int i) const;

    // False while the pad is unplugged or failing; it then reads centred, nothing pressed.
    bool connected() const;
    // The pad's name as the system gives it ("" without one).
    std::string name() const;

    std::unique_ptr<Joystick> joystick; // may be null or without a device: reads at rest
};
