#include "match/seat.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "entities/tank.h"

int ticksSinceItemSwitch = 0;

namespace {

// Buttons in the order they are tried, and the layer turn each asks of the tank
// (rotateLayer's axis choice and direction): the first pressed one wins.
struct LayerButton {
    int button;
    int axisChoice;
    bool direction;
};
constexpr LayerButton LAYER_BUTTONS[6] = {{2, 1, true},  {1, 1, false}, {3, 0, true},
                                          {0, 0, false}, {4, 2, false}, {5, 2, true}};

} // namespace

int layerButton(int axisChoice, bool direction) {
    for (const LayerButton& layer : LAYER_BUTTONS)
        if (layer.axisChoice == axisChoice && layer.direction == direction)
            return layer.button;
    return -1;
}

float Seat::beyondDeadZone(float v) const {
    if (std::fabs(v) < deadZone)
        return 0.0f;
    float sign = v < 0 ? -1.0f : 1.0f;
    return sign * (std::fabs(v) - deadZone) / (1.0f - deadZone);
}

bool Seat::listening() const {
    return tank && const_cast<Tank*>(tank)->getHealth() != 0 && gamepad;
}

bool Seat::computer() const {
    return gamepad && std::strcmp(gamepad->kind(), "computer") == 0;
}

bool Seat::update(float dt, const ControlState& controls) {
    if (!tank)
        return false;
    if (tank->getHealth() == 0) {
        alive = false;
        return false;
    }
    if (!gamepad)
        return false;
    driveAndTurn(dt, controls);
    useTriggers(controls);
    turnLayers(controls);
    return true;
}

bool Seat::update(float dt) {
    ControlState controls;
    if (listening())
        controls = readControls(*gamepad);
    return update(dt, controls);
}

void Seat::driveAndTurn(float dt, const ControlState& controls) {
    StickPosition left = controls.left;
    if (left.y <= -deadZone)
        tank->setDrive(1);
    else if (left.y >= deadZone)
        tank->setDrive(2);
    else
        tank->setDrive(0);
    if (std::fabs(left.x) >= deadZone)
        tank->turn(dt * beyondDeadZone(left.x));
}

void Seat::useTriggers(const ControlState& controls) {
    tank->setFireButton(controls.triggerA >= triggerThreshold);
    float b = controls.triggerB;
    if (!switchLatch && b >= triggerThreshold) {
        switchLatch = true;
        tank->nextItem();
        printf("%d\n", ticksSinceItemSwitch);
        ticksSinceItemSwitch = 0;
    } else {
        ++ticksSinceItemSwitch;
    }
    if (b < triggerThreshold)
        switchLatch = false;
}

void Seat::turnLayers(const ControlState& controls) {
    for (const LayerButton& layer : LAYER_BUTTONS)
        if (controls.button(layer.button)) {
            tank->rotateLayer(layer.axisChoice, layer.direction);
            return;
        }
}
