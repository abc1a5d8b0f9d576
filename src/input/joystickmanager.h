#pragma once

// Input floor: what drives a player or a menu, read like a gamepad. May use GLUT's key codes;
// no window, no SDL.

#include <memory>
#include <string>
#include <vector>

#include "input/gamepad.h"
#include "input/joystickbackend.h"

// Opens every joystick of the back end at start-up as a gamepad. The gamepad slots are fixed
// then: gamepad i always wraps device i, and a pad plugged in later drives a slot only by
// taking the place of a pad that has gone (the back end decides which). One manager at a
// time, since the device layer is program-wide.
class JoystickManager {
public:
    // Makes the program's manager on `backend` (the program's entry point hands it the system's
    // pads); a manager made before is closed first. Returns the new manager.
    static JoystickManager* install(std::unique_ptr<JoystickBackend> backend);
    // The program's manager: the one installed, or, when none was, one that sees no pads.
    static JoystickManager* instance();
    // Closes the program's manager and its pads, at the end of the run.
    static void release();

    // Prints "NumJoysticks = %d\n", then "Initializing Joysticks" and a "." per gamepad.
    explicit JoystickManager(std::unique_ptr<JoystickBackend> backend);
    ~JoystickManager(); // closes the gamepads and shuts the device layer down
    JoystickManager(const JoystickManager&) = delete;
    JoystickManager& operator=(const JoystickManager&) = delete;

    int getCount() const { return count; }
    // Gamepad i, or null outside 0 .. count-1.
    Gamepad* getGamepad(int i) const;
    // The gamepads' names, in slot order.
    std::vector<std::string> names() const;
    // The gamepads plugged in now, in slot order.
    std::vector<Gamepad*> connectedGamepads() const;

    // Takes in the system's news (pads gone or back, new values); once per tick, before the
    // gamepads are polled.
    void pollEvents();

    int count = 0;
    std::vector<std::unique_ptr<Gamepad>> gamepads; // count entries, gamepad i on device i

private:
    std::unique_ptr<JoystickBackend> backend;
};
