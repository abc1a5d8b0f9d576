#include "platform/keyboardstate.h"

#include "platform/platform.h"

void KeyboardState::setKey(unsigned char key, bool isDown, int modifiers) {
    this->modifiers = modifiers;
    down[key] = isDown ? 1 : 0;
}

void KeyboardState::setKey(unsigned char key, bool isDown) {
    setKey(key, isDown, platform().getModifiers());
}

bool KeyboardState::isModifierDown(int which) const {
    switch (which) {
    case 0:
        return (modifiers & 1) != 0;
    case 1:
        return (modifiers & 2) != 0;
    case 2:
        return (modifiers & 4) != 0;
    default:
        return false;
    }
}

void KeyboardState::releaseAll() {
    for (unsigned char& key : down)
        key = 0;
    modifiers = 0;
}
