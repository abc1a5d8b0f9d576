#include "app/gamepad.h"

namespace {

float unit(int16_t axis) {
    return static_cast<float>(axis) / 32768.0f;
}

} // namespace

Gamepad::Gamepad(std::unique_ptr<Joystick> joystick) : joystick(std::move(joystick)) {}

Gamepad::~Gamepad() {
    if (joystick && joystick->device)
        Close(joystick->Index());
}

void Gamepad::update() {
    if (joystick)
        joystick->update();
}

StickPosition Gamepad::leftStick() const {
    if (!joystick)
        return {};
    return {unit(joystick->GetAxis(0)), unit(joystick->GetAxis(1))};
}

StickPosition Gamepad::rightStick() const {
    if (!joystick)
        return {};
    return {unit(joystick->GetAxis(4)), unit(joystick->GetAxis(3))};
}

float Gamepad::triggerA() const {
    return joystick ? -unit(joystick->GetAxis(2)) : 0.0f;
}

float Gamepad::triggerB() const {
    return joystick ? unit(joystick->GetAxis(2)) : 0.0f;
}

bool Gamepad::button(int i) const {
    return joystick && joystick->GetButton(i) != 0;
}

bool Gamepad::connected() const {
    return joystick && joystick->IsAttached();
}

std::string Gamepad::name() const {
    if (!joystick || !joystick->device)
        return "";
    const char* name = GetName(joystick->Index());
    return name ? name : "";
}
