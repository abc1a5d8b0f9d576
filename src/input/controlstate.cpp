#include "input/controlstate.h"

#include <cstring>

namespace {

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

bool ControlState::operator==(const ControlState& other) const {
    return sameBits(left.x, other.left.x) && sameBits(left.y, other.left.y) &&
           sameBits(right.x, other.right.x) && sameBits(right.y, other.right.y) &&
           sameBits(triggerA, other.triggerA) && sameBits(triggerB, other.triggerB) &&
           buttons == other.buttons && connected == other.connected;
}

ControlState readControls(InputSource& source) {
    source.update();
    ControlState state;
    state.left = source.leftStick();
    state.right = source.rightStick();
    state.triggerA = source.triggerA();
    state.triggerB = source.triggerB();
    for (int b = 0; b < ControlState::BUTTONS; ++b)
        if (source.button(b))
            state.buttons = static_cast<uint16_t>(state.buttons | (1u << b));
    state.connected = source.connected();
    return state;
}
