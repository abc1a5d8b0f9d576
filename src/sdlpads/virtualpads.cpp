#include "sdlpads/virtualpads.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <SDL.h>

#include "input/padcontrols.h"
#include "sdlpads/sdlsession.h"

namespace {

constexpr int MAX_VIRTUAL_PADS = 16;
constexpr uint16_t VENDOR_ID = 0x1209;                        // the open-source test vendor
constexpr int BUTTONS = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1; // A .. d-pad right
constexpr int AXES = SDL_CONTROLLER_AXIS_MAX;

// Virtual controllers number their axes and buttons as the controller API does.
struct VirtualPad {
    std::string name;
    uint16_t productId = 0;
    SDL_JoystickID instance = -1;     // -1 while unplugged
    SDL_Joystick* joystick = nullptr; // our handle for setting values; owned while plugged
    int16_t axes[AXES] = {};
    bool buttons[BUTTONS] = {};
};

std::vector<VirtualPad> pads;
// By pad, apart from the pads so that SDL's callback holds an index, never a pointer into a
// vector that may grow.
std::vector<int> rumbles;

// SDL calls this on the game's thread from SDL_GameControllerRumble; a stop (0, 0) is a request
// too.
int countRumble(void* userdata, Uint16, Uint16) {
    auto pad = reinterpret_cast<intptr_t>(userdata);
    if (pad >= 0 && static_cast<size_t>(pad) < rumbles.size())
        ++rumbles[static_cast<size_t>(pad)];
    return 0;
}

bool isTrigger(int axis) {
    return axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
}

// Sticks -1 .. 1 and triggers 0 .. 1 to SDL's raw values; a virtual trigger spans the whole
// signed range, at rest at its minimum.
int16_t rawAxis(int axis, float value) {
    if (isTrigger(axis)) {
        double v = std::clamp(static_cast<double>(value), 0.0, 1.0);
        return static_cast<int16_t>(std::lround(-32768.0 + v * 65535.0));
    }
    double v = std::clamp(static_cast<double>(value), -1.0, 1.0);
    return static_cast<int16_t>(std::lround(v < 0 ? v * 32768.0 : v * 32767.0));
}

int deviceIndexOf(SDL_JoystickID instance) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == instance)
            return i;
    return -1;
}

void applyState(VirtualPad& pad) {
    for (int a = 0; a < AXES; ++a)
        SDL_JoystickSetVirtualAxis(pad.joystick, a, pad.axes[a]);
    for (int b = 0; b < BUTTONS; ++b)
        SDL_JoystickSetVirtualButton(pad.joystick, b, pad.buttons[b] ? 1 : 0);
}

bool plug(VirtualPad& pad) {
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = AXES;
    desc.nbuttons = BUTTONS;
    desc.vendor_id = VENDOR_ID;
    desc.product_id = pad.productId;
    desc.axis_mask = (1u << AXES) - 1;
    desc.button_mask = (1u << BUTTONS) - 1;
    desc.name = pad.name.c_str();
    desc.userdata = reinterpret_cast<void*>(static_cast<intptr_t>(&pad - pads.data()));
    desc.Rumble = countRumble;
    int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0)
        return false;
    pad.joystick = SDL_JoystickOpen(index);
    if (!pad.joystick) {
        SDL_JoystickDetachVirtual(index);
        return false;
    }
    pad.instance = SDL_JoystickInstanceID(pad.joystick);
    applyState(pad);
    return true;
}

void unplug(VirtualPad& pad) {
    SDL_JoystickClose(pad.joystick);
    pad.joystick = nullptr;
    int index = deviceIndexOf(pad.instance);
    if (index >= 0)
        SDL_JoystickDetachVirtual(index);
    pad.instance = -1;
}

// The shared table numbers the controls as SDL's controller API does.
static_assert(SDL_CONTROLLER_AXIS_LEFTX == 0 && SDL_CONTROLLER_AXIS_LEFTY == 1 &&
              SDL_CONTROLLER_AXIS_RIGHTX == 2 && SDL_CONTROLLER_AXIS_RIGHTY == 3 &&
              SDL_CONTROLLER_AXIS_TRIGGERLEFT == 4 && SDL_CONTROLLER_AXIS_TRIGGERRIGHT == 5);
static_assert(SDL_CONTROLLER_BUTTON_A == 0 && SDL_CONTROLLER_BUTTON_B == 1 &&
              SDL_CONTROLLER_BUTTON_X == 2 && SDL_CONTROLLER_BUTTON_Y == 3 &&
              SDL_CONTROLLER_BUTTON_BACK == 4 && SDL_CONTROLLER_BUTTON_GUIDE == 5 &&
              SDL_CONTROLLER_BUTTON_START == 6 && SDL_CONTROLLER_BUTTON_LEFTSTICK == 7 &&
              SDL_CONTROLLER_BUTTON_RIGHTSTICK == 8 && SDL_CONTROLLER_BUTTON_LEFTSHOULDER == 9 &&
              SDL_CONTROLLER_BUTTON_RIGHTSHOULDER == 10 && SDL_CONTROLLER_BUTTON_DPAD_UP == 11 &&
              SDL_CONTROLLER_BUTTON_DPAD_DOWN == 12 && SDL_CONTROLLER_BUTTON_DPAD_LEFT == 13 &&
              SDL_CONTROLLER_BUTTON_DPAD_RIGHT == 14);

VirtualPad* findPad(int pad) {
    return pad >= 0 && pad < static_cast<int>(pads.size()) ? &pads[pad] : nullptr;
}

} // namespace

bool attachVirtualPads(int count, std::string& error) {
    if (count < 0 || count > MAX_VIRTUAL_PADS) {
        error = "the number of virtual pads must be 0 to " + std::to_string(MAX_VIRTUAL_PADS);
        return false;
    }
    if (!pads.empty()) {
        error = "virtual pads are attached already";
        return false;
    }
    if (count == 0)
        return true;
    if (!acquireSdlPads(error))
        return false;
    if (sdlPadsEnumerated()) {
        releaseSdlPads();
        error = "virtual pads must be attached before the gamepads are enumerated";
        return false;
    }
    pads.resize(count);
    rumbles.assign(static_cast<size_t>(count), 0);
    // pads 0 .. i-1 are attached
    for (int i = 0; i < count; ++i) {
        VirtualPad& pad = pads[i];
        pad.name = "Virtual Pad " + std::to_string(i + 1);
        pad.productId = static_cast<uint16_t>(i + 1);
        pad.axes[SDL_CONTROLLER_AXIS_TRIGGERLEFT] = rawAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0);
        pad.axes[SDL_CONTROLLER_AXIS_TRIGGERRIGHT] = rawAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
        if (!plug(pad)) {
            error = std::string("virtual pad: ") + SDL_GetError();
            pads.resize(i + 1); // the failed pad holds no handle
            detachVirtualPads();
            return false;
        }
    }
    return true;
}

int virtualPadRumbles(int pad) {
    return pad >= 0 && static_cast<size_t>(pad) < rumbles.size() ? rumbles[static_cast<size_t>(pad)]
                                                                 : 0;
}

int virtualPadCount() {
    return static_cast<int>(pads.size());
}

bool setVirtualPadControl(int padNumber, const std::string& name, float value) {
    VirtualPad* pad = findPad(padNumber);
    const PadControl* control = findPadControl(name);
    if (!pad || !control || std::isnan(value))
        return false;
    if (control->kind != PadControlKind::BUTTON) {
        pad->axes[control->number] = rawAxis(control->number, value);
        if (pad->joystick)
            SDL_JoystickSetVirtualAxis(pad->joystick, control->number, pad->axes[control->number]);
    } else {
        pad->buttons[control->number] = value >= 0.5f;
        if (pad->joystick)
            SDL_JoystickSetVirtualButton(pad->joystick, control->number,
                                         pad->buttons[control->number] ? 1 : 0);
    }
    return true;
}

bool unplugVirtualPad(int padNumber) {
    VirtualPad* pad = findPad(padNumber);
    if (!pad || !pad->joystick)
        return false;
    unplug(*pad);
    return true;
}

bool plugVirtualPad(int padNumber) {
    VirtualPad* pad = findPad(padNumber);
    if (!pad || pad->joystick)
        return false;
    return plug(*pad);
}

void detachVirtualPads() {
    if (pads.empty())
        return;
    for (VirtualPad& pad : pads)
        if (pad.joystick)
            unplug(pad);
    pads.clear();
    rumbles.clear();
    releaseSdlPads();
}
