#include "input/gamepad.h"

#include <algorithm>

namespace {

float unit(int16_t axis) {
    return static_cast<float>(axis) / 32768.0f;
}

// One half of the shared trigger axis, in the interface's trigger range: the half pulled the
// other way reads as released.
float triggerHalf(float pull) {
    return std::clamp(pull, TRIGGER_RELEASED, TRIGGER_PULLED);
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
    return joystick ? triggerHalf(-unit(joystick->GetAxis(2))) : TRIGGER_RELEASED;
}

float Gamepad::triggerB() const {
    return joystick ? triggerHalf(unit(joystick->GetAxis(2))) : TRIGGER_RELEASED;
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

bool Gamepad::rumble(float strength, unsigned ms) {
    return joystick && joystick->Rumble(strength, ms);
}
