#include "match/seat.h"

#include <cmath>
#include <cstdio>

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

float Seat::beyondDeadZone(float v) const {
    if (std::fabs(v) < deadZone)
        return 0.0f;
    float sign = v < 0 ? -1.0f : 1.0f;
    return sign * (std::fabs(v) - deadZone) / (1.0f - deadZone);
}

bool Seat::update(float dt) {
    if (!tank)
        return false;
    if (tank->getHealth() == 0) {
        alive = false;
        return false;
    }
    if (!gamepad)
        return false;
    gamepad->update();
    driveAndTurn(dt);
    useTriggers();
    turnLayers();
    return true;
}

void Seat::driveAndTurn(float dt) {
    StickPosition left = gamepad->leftStick();
    if (left.y <= -deadZone)
        tank->setDrive(1);
    else if (left.y >= deadZone)
        tank->setDrive(2);
    else
        tank->setDrive(0);
    if (std::fabs(left.x) >= deadZone)
        tank->turn(dt * beyondDeadZone(left.x));
}

void Seat::useTriggers() {
    tank->setFireButton(gamepad->triggerA() >= triggerThreshold);
    float b = gamepad->triggerB();
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

void Seat::turnLayers() {
    for (const LayerButton& layer : LAYER_BUTTONS)
        if (gamepad->button(layer.button)) {
            tank->rotateLayer(layer.axisChoice, layer.direction);
            return;
        }
}
