#include "input/menuinput.h"

#include <cmath>

void MenuInput::poll() {
    for (int b = 0; b < 10; ++b) {
        prevButtons[b] = buttons[b];
        heldAtSettle[b] = heldAtSettle[b] && prevButtons[b];
    }
    prevX = x;
    prevY = y;
    if (!gamepad)
        return;
    gamepad->update();
    StickPosition stick = gamepad->leftStick();
    x = digitise(prevX, stick.x);
    y = digitise(prevY, stick.y);
    for (int b = 0; b < 10; ++b)
        buttons[b] = gamepad->button(b);
}

void MenuInput::settle() {
    poll();
    prevX = x;
    prevY = y;
    for (int b = 0; b < 10; ++b)
        prevButtons[b] = heldAtSettle[b] = buttons[b];
}

int MenuInput::digitise(int state, float v) const {
    if (state != 0 && std::fabs(v) <= releaseThreshold)
        return 0;
    if (state == 0 && std::fabs(v) >= pressThreshold)
        return v < 0 ? -1 : 1;
    return state;
}

bool MenuInput::released(int b) const {
    return b >= 0 && b < 10 && buttons[b] != prevButtons[b] && !buttons[b] && !heldAtSettle[b];
}
