#pragma once

#include <string>
#include <vector>

#include "app/joystickbackend.h"

// Stands in for the system's joysticks: a list of devices whose capabilities, positions,
// names and failures a test sets. Device id = position in the list.
class FakeJoystickBackend : public JoystickBackend {
public:
    struct Device {
        JoystickCaps caps;
        JoystickPosition position; // flags ignored: the request decides
        bool hasName = false;
        std::string name;
        unsigned positionError = JOYERR_NOERROR;
        unsigned capsError = JOYERR_NOERROR;
    };

    // A pad as a Windows driver shows one: X, Y, Z, R, U on 0 .. 65535, a hat, 10 buttons,
    // every axis centred.
    static Device pad(const std::string& productName) {
        Device device;
        JoystickCaps& caps = device.caps;
        caps.xMax = caps.yMax = caps.zMax = caps.rMax = caps.uMax = caps.vMax = 65535;
        caps.caps = JOYCAPS_HASZ | JOYCAPS_HASR | JOYCAPS_HASU | JOYCAPS_HASPOV;
        caps.numAxes = 5;
        caps.numButtons = 10;
        caps.productName = productName;
        JoystickPosition& p = device.position;
        p.x = p.y = p.z = p.r = p.u = p.v = 32768;
        return device;
    }

    unsigned deviceCount() override { return static_cast<unsigned>(devices.size()); }

    unsigned readPosition(unsigned id, JoystickPosition& position) override {
        ++positionReads;
        lastRequest = position.flags;
        if (id >= devices.size())
            return MMSYSERR_BADDEVICEID;
        if (devices[id].positionError != JOYERR_NOERROR)
            return devices[id].positionError;
        uint32_t flags = position.flags;
        position = devices[id].position;
        position.flags = flags;
        return JOYERR_NOERROR;
    }

    unsigned readCaps(unsigned id, JoystickCaps& caps) override {
        if (id >= devices.size())
            return MMSYSERR_BADDEVICEID;
        if (devices[id].capsError != JOYERR_NOERROR)
            return devices[id].capsError;
        caps = devices[id].caps;
        return JOYERR_NOERROR;
    }

    bool readName(unsigned id, std::string& name) override {
        if (id >= devices.size() || !devices[id].hasName)
            return false;
        name = devices[id].name;
        return true;
    }

    void pollEvents() override { ++eventPolls; }

    std::vector<Device> devices;
    int positionReads = 0;
    uint32_t lastRequest = 0; // flags of the last position request
    int eventPolls = 0;
};
