#include <algorithm>

#include "input/joystick_internal.h"

Joystick::Joystick(JoystickDevice* device) : device(device) {
    if (device)
        device->handles.push_back(this);
}

Joystick::~Joystick() {
    if (!device)
        return;
    auto& handles = device->handles;
    handles.erase(std::remove(handles.begin(), handles.end(), this), handles.end());
}

int16_t Joystick::GetAxis(int axis) const {
    if (!device)
        return 0;
    if (axis < 0 || axis >= device->numAxes) {
        reportJoystickError("Invalid axis index in GetAxis().\n");
        return 0;
    }
    return device->axes[axis];
}

uint8_t Joystick::GetHat(int hat) const {
    if (!device)
        return 0;
    if (hat < 0 || hat >= device->numHats) {
        reportJoystickError("Invalid joystick index in GetHat().\n");
        return 0;
    }
    return device->hats[hat];
}

uint8_t Joystick::GetButton(int button) const {
    if (!device)
        return 0;
    if (button < 0 || button >= device->numButtons) {
        reportJoystickError("Invalid joystick button index in GetButton().\n");
        return 0;
    }
    return device->buttons[button];
}

int Joystick::GetBall(int ball, int& dx, int& dy) const {
    dx = 0;
    dy = 0;
    if (!device)
        return 0;
    if (ball < 0 || ball >= device->numBalls) {
        reportJoystickError("Invalid ball index in GetBall().\n");
        return 0;
    }
    BallMotion& motion = device->balls[ball];
    dx = motion.dx;
    dy = motion.dy;
    motion = BallMotion();
    return 0;
}

int Joystick::NumAxes() const {
    return device ? device->numAxes : -1;
}

int Joystick::NumHats() const {
    return device ? device->numHats : -1;
}

int Joystick::NumBalls() const {
    return device ? device->numBalls : -1;
}

int Joystick::NumButtons() const {
    return device ? device->numButtons : -1;
}

int Joystick::Index() const {
    return device ? device->index : -1;
}

bool Joystick::IsAttached() const {
    return device && device->attached;
}
