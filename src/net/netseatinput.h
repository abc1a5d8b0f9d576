#pragma once

// Net floor: matches shared by several machines, in lockstep on their inputs over ENet. May use
// replay, match, input and the layers below; no window, no drawing.

#include <string>

#include "input/controlstate.h"
#include "input/inputsource.h"

// A seat of an online match as every machine plays it: it reads exactly the controls the
// lockstep gives for the tick, whichever machine's pad they came from, and names itself as
// that pad did. On the machine whose pad it is, it shakes that pad. Owned by the game screen
// for the match; the pad (if any) belongs to the joystick manager or the screen.
class NetSeatInput : public InputSource {
public:
    NetSeatInput(std::string name, const char* kind, InputSource* localPad)
        : padName(std::move(name)), kindName(kind), localPad(localPad) {}

    void update() override {}
    StickPosition leftStick() const override { return controls.left; }
    StickPosition rightStick() const override { return controls.right; }
    float triggerA() const override { return controls.triggerA; }
    float triggerB() const override { return controls.triggerB; }
    bool button(int index) const override { return controls.button(index); }
    bool connected() const override { return controls.connected; }
    std::string name() const override { return padName; }
    const char* kind() const override { return kindName; }
    bool canRumble() const override { return localPad && localPad->canRumble(); }
    bool rumble(float strength, unsigned ms) override {
        return localPad && localPad->rumble(strength, ms);
    }

    ControlState controls; // what the next reads give

    InputSource* pad() const { return localPad; } // this machine's, or null

private:
    std::string padName;
    const char* kindName; // a string literal
    InputSource* localPad;
};
