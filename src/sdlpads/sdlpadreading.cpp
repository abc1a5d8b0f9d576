#include "sdlpads/sdlpadreading.h"

#include <algorithm>

namespace {

constexpr uint32_t POSITION_MAX = 65535;

// -32768 .. 32767 to 0 .. 65535.
uint32_t position(int axis) {
    return static_cast<uint32_t>(std::clamp(axis + 32768, 0, 65535));
}

void fullRanges(JoystickCaps& caps) {
    caps.xMin = caps.yMin = caps.zMin = caps.rMin = caps.uMin = caps.vMin = 0;
    caps.xMax = caps.yMax = caps.zMax = caps.rMax = caps.uMax = caps.vMax = POSITION_MAX;
}

const SDL_GameControllerButton CONTROLLER_BUTTONS[10] = {
    SDL_CONTROLLER_BUTTON_A,
    SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
};

// Which of Z, R, U, V a raw joystick's axes 2..5 stand for.
const uint32_t RAW_AXIS_CAPS[4] = {JOYCAPS_HASZ, JOYCAPS_HASR, JOYCAPS_HASU, JOYCAPS_HASV};

const char* nameOr(const char* name) {
    return name ? name : "";
}

} // namespace

uint32_t hatAngle(bool up, bool right, bool down, bool left) {
    int dx = (right ? 1 : 0) - (left ? 1 : 0);
    int dy = (down ? 1 : 0) - (up ? 1 : 0);
    // [dy + 1][dx + 1], clockwise from up
    static const uint32_t angles[3][3] = {
        {31500, 0, 4500}, {27000, JOY_POVCENTERED, 9000}, {22500, 18000, 13500}};
    return angles[dy + 1][dx + 1];
}

void controllerCaps(SDL_GameController* controller, JoystickCaps& caps) {
    caps = JoystickCaps();
    fullRanges(caps);
    caps.caps = JOYCAPS_HASZ | JOYCAPS_HASR | JOYCAPS_HASU | JOYCAPS_HASPOV;
    caps.numAxes = 5;
    caps.numButtons = 10;
    caps.productName = nameOr(SDL_GameControllerName(controller));
}

void controllerPosition(SDL_GameController* controller, JoystickPosition& out) {
    auto axis = [controller](SDL_GameControllerAxis a) {
        return static_cast<int>(SDL_GameControllerGetAxis(controller, a));
    };
    auto pressed = [controller](SDL_GameControllerButton b) {
        return SDL_GameControllerGetButton(controller, b) != 0;
    };
    out.x = position(axis(SDL_CONTROLLER_AXIS_LEFTX));
    out.y = position(axis(SDL_CONTROLLER_AXIS_LEFTY));
    out.z =
        position(axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT) - axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
    out.r = position(axis(SDL_CONTROLLER_AXIS_RIGHTY));
    out.u = position(axis(SDL_CONTROLLER_AXIS_RIGHTX));
    out.v = position(0);
    out.buttons = 0;
    for (int i = 0; i < 10; ++i)
        if (pressed(CONTROLLER_BUTTONS[i]))
            out.buttons |= 1u << i;
    out.pov = hatAngle(
        pressed(SDL_CONTROLLER_BUTTON_DPAD_UP), pressed(SDL_CONTROLLER_BUTTON_DPAD_RIGHT),
        pressed(SDL_CONTROLLER_BUTTON_DPAD_DOWN), pressed(SDL_CONTROLLER_BUTTON_DPAD_LEFT));
}

void rawCaps(SDL_Joystick* joystick, JoystickCaps& caps) {
    caps = JoystickCaps();
    fullRanges(caps);
    int axes = std::clamp(SDL_JoystickNumAxes(joystick), 0, 6);
    caps.numAxes = static_cast<uint32_t>(axes);
    for (int i = 2; i < axes; ++i)
        caps.caps |= RAW_AXIS_CAPS[i - 2];
    if (SDL_JoystickNumHats(joystick) > 0)
        caps.caps |= JOYCAPS_HASPOV;
    caps.numButtons = static_cast<uint32_t>(std::clamp(SDL_JoystickNumButtons(joystick), 0, 32));
    caps.productName = nameOr(SDL_JoystickName(joystick));
}

void rawPosition(SDL_Joystick* joystick, JoystickPosition& out) {
    uint32_t* axes[6] = {&out.x, &out.y, &out.z, &out.r, &out.u, &out.v};
    int count = std::clamp(SDL_JoystickNumAxes(joystick), 0, 6);
    for (int i = 0; i < 6; ++i)
        *axes[i] = position(i < count ? SDL_JoystickGetAxis(joystick, i) : 0);
    out.buttons = 0;
    int buttons = std::clamp(SDL_JoystickNumButtons(joystick), 0, 32);
    for (int i = 0; i < buttons; ++i)
        if (SDL_JoystickGetButton(joystick, i))
            out.buttons |= 1u << i;
    Uint8 hat =
        SDL_JoystickNumHats(joystick) > 0 ? SDL_JoystickGetHat(joystick, 0) : SDL_HAT_CENTERED;
    out.pov =
        hatAngle(hat & SDL_HAT_UP, hat & SDL_HAT_RIGHT, hat & SDL_HAT_DOWN, hat & SDL_HAT_LEFT);
}
