#pragma once

// SDL pads floor: the system's pads through SDL2, and virtual pads for scripted play; the only
// code that includes SDL. May use input.

#include <string>

#include "input/padsink.h"

// The sink of the game: SDL's virtual game controllers (sdlpads/virtualpads.h).
class VirtualPads : public PadSink {
public:
    bool attach(int count, std::string& error) override;
    bool setControl(int pad, const std::string& control, float value, std::string& error) override;
    bool unplug(int pad, std::string& error) override;
    bool plug(int pad, std::string& error) override;
};
