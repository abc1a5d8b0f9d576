#include "screens/player.h"

bool Player::update(float dt, const ControlState& controls) {
    if (!Seat::update(dt, controls))
        return false;
    hud.aim(beyondDeadZone(controls.right.x), beyondDeadZone(controls.right.y));
    return true;
}
