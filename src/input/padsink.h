#pragma once

// Input floor: what drives a player or a menu, read like a gamepad. May use GLUT's key codes;
// no window, no SDL.

#include <string>

// Where a scripted run's pad events go: the virtual game controllers. Each call returns
// false, with `error` saying why, when it could not be done.
class PadSink {
public:
    virtual ~PadSink() = default;

    // Attaches `count` virtual pads; called before the joysticks are counted.
    virtual bool attach(int count, std::string& error) = 0;
    // `control` is a stick, trigger or button name of the script (leftx, a, dpup, ...).
    virtual bool setControl(int pad, const std::string& control, float value,
                            std::string& error) = 0;
    virtual bool unplug(int pad, std::string& error) = 0;
    virtual bool plug(int pad, std::string& error) = 0;
};

// The sink of a program without virtual pads: every call fails with "pads are not available".
class NoPads : public PadSink {
public:
    bool attach(int count, std::string& error) override;
    bool setControl(int pad, const std::string& control, float value, std::string& error) override;
    bool unplug(int pad, std::string& error) override;
    bool plug(int pad, std::string& error) override;
};
