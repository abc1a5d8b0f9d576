#pragma once

// Input floor: what drives a player or a menu, read like a gamepad. May use GLUT's key codes;
// no window, no SDL.

#include <string>
#include <vector>

#include "input/joystick.h"

// State shared by the device layer's files: the back end and the table of usable devices.

struct JoystickTableEntry {
    unsigned id = 0; // the back end's device id
    JoystickCaps caps;
    bool hasName = false;
    std::string name; // display name, when hasName
};

struct JoystickLayer {
    JoystickBackend* backend = nullptr;       // not owned
    uint8_t deviceCount = 0;                  // usable devices found by initJoysticks
    std::vector<JoystickTableEntry> table;    // deviceCount entries
    std::vector<JoystickDevice*> openDevices; // deviceCount entries, null where not open; owned
};

JoystickLayer& joystickLayer();

// Sets the device's counts, scaling and arrays from the capabilities, with every value at
// rest. Runs at open and again when a device answers after a failure.
void configureDevice(JoystickDevice& device, const JoystickCaps& caps);
// Reads the capabilities and name of table entry `index` from the back end again; false if
// the back end does not answer.
bool rereadEntry(int index);
// Every axis, hat, ball and button at rest.
void centreDevice(JoystickDevice& device);
