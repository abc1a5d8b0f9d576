#pragma once

// Input floor: what drives a player or a menu, read like a gamepad. May use GLUT's key codes;
// no window, no SDL.

#include <cstdint>
#include <string>

// The system operations the joystick device layer is written against: a device count, each
// device's capabilities and name, and its current position. They keep the shape of the
// Windows multimedia joystick interface (the SDL back end presents every pad that way), so a
// test back end can stand in for the system.

// Capability bits (`caps`).
constexpr uint32_t JOYCAPS_HASZ = 1;
constexpr uint32_t JOYCAPS_HASR = 2;
constexpr uint32_t JOYCAPS_HASU = 4;
constexpr uint32_t JOYCAPS_HASV = 8;
constexpr uint32_t JOYCAPS_HASPOV = 16;

// Position request and return flags (`JoystickPosition::flags`).
constexpr uint32_t JOY_RETURNX = 0x01;
constexpr uint32_t JOY_RETURNY = 0x02;
constexpr uint32_t JOY_RETURNZ = 0x04;
constexpr uint32_t JOY_RETURNR = 0x08;
constexpr uint32_t JOY_RETURNU = 0x10;
constexpr uint32_t JOY_RETURNV = 0x20;
constexpr uint32_t JOY_RETURNPOV = 0x40;
constexpr uint32_t JOY_RETURNBUTTONS = 0x80;
constexpr uint32_t JOY_RETURNALL = 0xFF;
constexpr uint32_t JOY_RETURNPOVCTS = 0x200; // the hat angle in hundredths of a degree

constexpr uint32_t JOY_POVCENTERED = 0xFFFF;

// Result codes of the position and capability queries: 0 is success.
constexpr unsigned JOYERR_NOERROR = 0;
constexpr unsigned MMSYSERR_BADDEVICEID = 2;
constexpr unsigned MMSYSERR_NODRIVER = 6;
constexpr unsigned MMSYSERR_INVALPARAM = 11;
constexpr unsigned JOYERR_PARMS = 165;
constexpr unsigned JOYERR_NOCANDO = 166;
constexpr unsigned JOYERR_UNPLUGGED = 167;

// What the layer reads of a device's capabilities. Axis ranges are in position units.
struct JoystickCaps {
    uint32_t xMin = 0, xMax = 0;
    uint32_t yMin = 0, yMax = 0;
    uint32_t zMin = 0, zMax = 0;
    uint32_t rMin = 0, rMax = 0;
    uint32_t uMin = 0, uMax = 0;
    uint32_t vMin = 0, vMax = 0;
    uint32_t caps = 0; // JOYCAPS_* bits
    uint32_t numAxes = 0;
    uint32_t numButtons = 0;
    std::string productName;
};

// One position reading. `flags` says on the way in which fields are wanted and on the way
// out which were filled.
struct JoystickPosition {
    uint32_t flags = 0;
    uint32_t x = 0, y = 0, z = 0, r = 0, u = 0, v = 0; // position units
    uint32_t buttons = 0;                              // bit i = button i pressed
    uint32_t pov = JOY_POVCENTERED;                    // hundredths of a degree clockwise from up
};

class JoystickBackend {
public:
    virtual ~JoystickBackend() = default;

    // Number of device ids to probe: 0 .. deviceCount() - 1.
    virtual unsigned deviceCount() = 0;
    // JOYERR_NOERROR and `position` filled, or an error code (JOYERR_UNPLUGGED for a device
    // that has gone).
    virtual unsigned readPosition(unsigned id, JoystickPosition& position) = 0;
    virtual unsigned readCaps(unsigned id, JoystickCaps& caps) = 0;
    // The device's display name, if the system keeps one apart from the product name.
    virtual bool readName(unsigned id, std::string& name) = 0;
    // Takes in what the system reports since the last call (devices gone and come back).
    // Called once per tick.
    virtual void pollEvents() {}
    // Shakes the device: `strength` 0..1 for `ms` milliseconds. False where it cannot.
    virtual bool rumble(unsigned id, float strength, unsigned ms) {
        (void)id;
        (void)strength;
        (void)ms;
        return false;
    }
};
