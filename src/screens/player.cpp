#include "screens/player.h"

bool Player::update(float dt) {
    if (!Seat::update(dt))
        return false;
    StickPosition right = gamepad->rightStick();
    hud.aim(beyondDeadZone(right.x), beyondDeadZone(right.y));
    return true;
}
