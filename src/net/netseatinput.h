#pragma once

// Net floor: matches shared by several machines, in lockstep on their inputs over ENet. May use
// replay, match, input and the layers below; no window, no drawing.

#include <string>

#include "replay/replayinput.h"

// A seat of an online match as every machine plays it: like a replayed pad it reads exactly the
// controls the lockstep gives for the tick, whichever machine's pad they came from, and names
// itself as that pad did. On the machine whose pad it is, it shakes that pad. Owned by the game
// screen for the match; the pad (if any) belongs to the joystick manager or the screen.
class NetSeatInput : public ReplayInput {
public:
    NetSeatInput(std::string name, const char* kind, InputSource* localPad)
        : ReplayInput(std::move(name), kind), localPad(localPad) {}

    bool canRumble() const override { return localPad && localPad->canRumble(); }
    bool rumble(float strength, unsigned ms) override {
        return localPad && localPad->rumble(strength, ms);
    }

    InputSource* pad() const { return localPad; } // this machine's, or null

private:
    InputSource* localPad;
};
