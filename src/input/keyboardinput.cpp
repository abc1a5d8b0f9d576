#include "input/keyboardinput.h"

#include <GL/freeglut.h>

KeyboardInput::KeyboardInput(std::vector<Binding> bindings) {
    for (const Binding& binding : bindings)
        keys.push_back(KeyState{binding});
}

std::vector<KeyboardInput::Binding> KeyboardInput::tankKeys() {
    // Each pair is one of the tank's turning axes (its right, its forward, its up), both ways;
    // the buttons are those a pad turns the same layers with. GLUT sends Delete as a character.
    return {{SPECIAL + GLUT_KEY_UP, STICK_UP, 0},
            {SPECIAL + GLUT_KEY_DOWN, STICK_DOWN, 0},
            {SPECIAL + GLUT_KEY_LEFT, STICK_LEFT, 0},
            {SPECIAL + GLUT_KEY_RIGHT, STICK_RIGHT, 0},
            {' ', TRIGGER_A, 0},
            {'\t', TRIGGER_B, 0},
            {SPECIAL + GLUT_KEY_INSERT, BUTTON, 3},
            {127, BUTTON, 0},
            {SPECIAL + GLUT_KEY_HOME, BUTTON, 2},
            {SPECIAL + GLUT_KEY_END, BUTTON, 1},
            {SPECIAL + GLUT_KEY_PAGE_UP, BUTTON, 5},
            {SPECIAL + GLUT_KEY_PAGE_DOWN, BUTTON, 4}};
}

std::vector<KeyboardInput::Binding> KeyboardInput::menuKeys() {
    return {{SPECIAL + GLUT_KEY_UP, STICK_UP, 0},
            {SPECIAL + GLUT_KEY_DOWN, STICK_DOWN, 0},
            {SPECIAL + GLUT_KEY_LEFT, STICK_LEFT, 0},
            {SPECIAL + GLUT_KEY_RIGHT, STICK_RIGHT, 0},
            {'\r', BUTTON, 0},
            {27, BUTTON, 1}};
}

bool KeyboardInput::press(int key) {
    bool bound = false;
    for (KeyState& state : keys)
        if (state.binding.key == key) {
            state.held = true;
            state.tapped = true;
            bound = true;
        }
    return bound;
}

bool KeyboardInput::release(int key) {
    bool bound = false;
    for (KeyState& state : keys)
        if (state.binding.key == key) {
            state.held = false;
            bound = true;
        }
    return bound;
}

void KeyboardInput::releaseAll() {
    for (KeyState& state : keys)
        state.held = state.tapped = false;
}

void KeyboardInput::update() {
    for (KeyState& state : keys) {
        state.active = state.held || state.tapped;
        state.tapped = false;
    }
}

bool KeyboardInput::anyActive(Control control, int buttonIndex) const {
    for (const KeyState& state : keys)
        if (state.active && state.binding.control == control &&
            (control != BUTTON || state.binding.button == buttonIndex))
            return true;
    return false;
}

StickPosition KeyboardInput::leftStick() const {
    // Opposite keys held together cancel, as a stick cannot point both ways.
    float x = (anyActive(STICK_RIGHT) ? 1.0f : 0.0f) - (anyActive(STICK_LEFT) ? 1.0f : 0.0f);
    float y = (anyActive(STICK_DOWN) ? 1.0f : 0.0f) - (anyActive(STICK_UP) ? 1.0f : 0.0f);
    return {x, y};
}

float KeyboardInput::triggerA() const {
    return anyActive(TRIGGER_A) ? TRIGGER_PULLED : TRIGGER_RELEASED;
}

float KeyboardInput::triggerB() const {
    return anyActive(TRIGGER_B) ? TRIGGER_PULLED : TRIGGER_RELEASED;
}

bool KeyboardInput::button(int index) const {
    return anyActive(BUTTON, index);
}
