#pragma once

// Replay floor: matches kept as their inputs: the record's format, its reader and writer, the
// state hash, replaying and the headless verifier. May use match and the layers below; no
// window, no drawing.

#include <string>

#include "input/controlstate.h"
#include "input/inputsource.h"

// A recorded pad or keyboard played back: it reads exactly the controls it is given, so that
// a seat reading it reads what the recorded seat read, bit for bit, and names itself as the
// recorded source did. Owned by the replay that feeds it.
class ReplayInput : public InputSource {
public:
    ReplayInput(std::string name, const char* kind) : padName(std::move(name)), kindName(kind) {}

    void update() override {}
    StickPosition leftStick() const override { return controls.left; }
    StickPosition rightStick() const override { return controls.right; }
    float triggerA() const override { return controls.triggerA; }
    float triggerB() const override { return controls.triggerB; }
    bool button(int index) const override { return controls.button(index); }
    bool connected() const override { return controls.connected; }
    std::string name() const override { return padName; }
    const char* kind() const override { return kindName; }

    ControlState controls; // what the next reads give

private:
    std::string padName;
    const char* kindName; // a string literal
};
