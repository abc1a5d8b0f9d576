#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "input/joystick_internal.h"

uint8_t hatFromAngle(uint32_t angle) {
    if (angle == JOY_POVCENTERED)
        return HAT_CENTERED;
    uint8_t hat = HAT_CENTERED;
    if (angle > 27000 || angle < 9000)
        hat |= HAT_UP;
    if (angle > 0 && angle < 18000)
        hat |= HAT_RIGHT;
    if (angle > 9000 && angle < 27000)
        hat |= HAT_DOWN;
    if (angle > 18000)
        hat |= HAT_LEFT;
    return hat;
}

namespace {

const char* positionErrorText(unsigned code) {
    switch (code) {
    case MMSYSERR_BADDEVICEID:
        return "Bad device ID";
    case MMSYSERR_NODRIVER:
        return "Joystick driver not present";
    case MMSYSERR_INVALPARAM:
    case JOYERR_PARMS:
        return "Invalid parameter(s)";
    case JOYERR_NOCANDO:
        return "Can't capture joystick input";
    case JOYERR_UNPLUGGED:
        return "Joystick not attached";
    default:
        return nullptr;
    }
}

// Reported once per failure: the device then reads at rest until it answers again.
void reportPositionError(unsigned code) {
    char message[96];
    if (const char* text = positionErrorText(code))
        snprintf(message, sizeof message, "%s: %s", "joyGetPosEx", text);
    else
        snprintf(message, sizeof message, "%s: Unknown Multimedia system error: 0x%x",
                 "joyGetPosEx", code);
    reportJoystickError(message);
}

// Position units to -32768 .. 32767. A position outside the reported range is held at the
// range's end rather than wrapping round to the opposite direction.
int scaledAxis(uint32_t position, int offset, float scale) {
    double value = (static_cast<double>(position) + offset) * scale - 32768.0;
    return static_cast<int>(std::lround(std::clamp(value, -32768.0, 32767.0)));
}

void storePosition(JoystickDevice& device, const JoystickPosition& position) {
    const uint32_t values[6] = {position.x, position.y, position.z,
                                position.r, position.u, position.v};
    const int axes = std::min(device.numAxes, 6);
    for (int i = 0; i < axes; ++i) {
        if (!(position.flags & (1u << i)))
            continue;
        int value = scaledAxis(values[i], device.hw.offset[i], device.hw.scale[i]);
        if (std::abs(value - device.axes[i]) > AXIS_DEAD_BAND)
            device.axes[i] = static_cast<int16_t>(value);
    }
    if (position.flags & JOY_RETURNBUTTONS)
        for (int i = 0; i < device.numButtons; ++i)
            device.buttons[i] = (position.buttons >> i) & 1u;
    if ((position.flags & JOY_RETURNPOV) && device.numHats > 0)
        device.hats[0] = hatFromAngle(position.pov);
}

unsigned readDevice(const JoystickDevice& device, JoystickPosition& position) {
    JoystickBackend* backend = joystickLayer().backend;
    position = JoystickPosition();
    position.flags =
        device.numHats > 0 ? (JOY_RETURNALL | JOY_RETURNPOVCTS) : (JOY_RETURNALL & ~JOY_RETURNPOV);
    return backend ? backend->readPosition(device.hw.id, position) : MMSYSERR_NODRIVER;
}

// A device answering again may be another pad on the same id: take its capabilities anew.
bool reattach(JoystickDevice& device) {
    if (!rereadEntry(device.index))
        return false;
    configureDevice(device, joystickLayer().table[device.index].caps);
    device.attached = true;
    return true;
}

} // namespace

void Joystick::update() {
    if (!device)
        return;
    JoystickPosition position;
    unsigned code = readDevice(*device, position);
    if (code == JOYERR_NOERROR && !device->attached) {
        if (!reattach(*device))
            return;
        code = readDevice(*device, position);
    }
    if (code != JOYERR_NOERROR) {
        if (device->attached)
            reportPositionError(code);
        device->attached = false;
        centreDevice(*device);
        return;
    }
    storePosition(*device, position);
}

bool Joystick::Rumble(float strength, unsigned ms) {
    JoystickBackend* backend = joystickLayer().backend;
    if (!device || !device->attached || !backend)
        return false;
    return backend->rumble(device->hw.id, strength, ms);
}
