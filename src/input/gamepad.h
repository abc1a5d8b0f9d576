#pragma once

// Input floor: what drives a player or a menu, read like a gamepad. May use GLUT's key codes;
// no window, no SDL.

#include <memory>
#include <string>

#include "input/inputsource.h"
#include "input/joystick.h"

// One opened joystick read as a game pad: two sticks, a trigger axis shared by two triggers,
// and buttons. Owns its handle and closes the device reference it stands for when destroyed.
class Gamepad : public InputSource {
public:
    explicit Gamepad(std::unique_ptr<Joystick> joystick);
    ~Gamepad() override;
    Gamepad(const Gamepad&) = delete;
    Gamepad& operator=(const Gamepad&) = delete;

    void update() override; // polls the device

    StickPosition leftStick() const override;  // axes 0 and 1, in [-1, 1)
    StickPosition rightStick() const override; // axes 4 (x) and 3 (y)
    // The two halves of axis 2: trigger A pulls it negative, trigger B positive; each reads
    // its own half, the other half as released.
    float triggerA() const override;
    float triggerB() const override;
    bool button(int i) const override;

    // False while the pad is unplugged or failing; it then reads centred, nothing pressed.
    bool connected() const override;
    // The pad's name as the system gives it ("" without one).
    std::string name() const override;
    const char* kind() const override { return "pad"; }
    bool canRumble() const override { return true; }
    bool rumble(float strength, unsigned ms) override;

    std::unique_ptr<Joystick> joystick; // may be null or without a device: reads at rest
};
