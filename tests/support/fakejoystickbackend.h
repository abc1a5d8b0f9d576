#pragma once

#include <string>
#include <vector>

#include "input/joystickbackend.h"

// Stands in for the system's joysticks: devices whose capabilities, positions, names and
// failures a test sets. Device id = place in the list.
class FakeJoystickBackend : public JoystickBackend {
public:
    struct Device {
        JoystickCaps caps;
        JoystickPosition position; // its flags are ignored: the request decides
        std::string name;          // display name; none when empty
        unsigned positionError = JOYERR_NOERROR;
        unsigned capsError = JOYERR_NOERROR;
    };

    // A pad as a Windows driver shows one: X, Y, Z, R, U on 0 .. 65535, a hat, 10 buttons,
    // everything at rest.
    static Device pad(const std::string& productName) {
        Device d;
        d.caps.xMax = d.caps.yMax = d.caps.zMax = d.caps.rMax = d.caps.uMax = 65535;
        d.caps.caps = JOYCAPS_HASZ | JOYCAPS_HASR | JOYCAPS_HASU | JOYCAPS_HASPOV;
        d.caps.numAxes = 5;
        d.caps.numButtons = 10;
        d.caps.productName = productName;
        d.position.x = d.position.y = d.position.z = d.position.r = d.position.u = 32768;
        return d;
    }

    unsigned deviceCount() override { return static_cast<unsigned>(devices.size()); }
    unsigned readPosition(unsigned id, JoystickPosition& position) override {
        lastRequest = position.flags;
        if (unsigned error = id < devices.size() ? devices[id].positionError : 2u)
            return error;
        position = devices[id].position;
        position.flags = lastRequest;
        return JOYERR_NOERROR;
    }
    unsigned readCaps(unsigned id, JoystickCaps& caps) override {
        if (unsigned error = id < devices.size() ? devices[id].capsError : 2u)
            return error;
        caps = devices[id].caps;
        return JOYERR_NOERROR;
    }
    bool readName(unsigned id, std::string& name) override {
        name = id < devices.size() ? devices[id].name : "";
        return !name.empty();
    }
    void pollEvents() override { ++eventPolls; }

    std::vector<Device> devices;
    uint32_t lastRequest = 0; // flags of the last position request
    int eventPolls = 0;
};
