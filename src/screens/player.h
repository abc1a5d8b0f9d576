#pragma once

// Screens floor: the shell that routes the window's events, and the screens. May use view,
// match, input, platform and the layers below; no SDL.

#include "match/seat.h"
#include "view/followcamera.h"
#include "view/headsupdisplay.h"

// One player of a match as the game screen shows it: a seat at the match, with a following
// camera, a heads-up display and a share of the window. Owns its camera and display; the world
// owns the tank; the input source belongs to whoever made it.
class Player : public Seat {
public:
    explicit Player(InputSource* gamepad) : Seat(gamepad) {}

    // The seat's tick of control, then the right stick tilts the display's miniature.
    bool update(float dt, const ControlState& controls) override;
    using Seat::update;

    int viewportX = 0, viewportY = 0, viewportWidth = 0, viewportHeight = 0; // pixels, GL's origin
    FollowCamera camera;
    HeadsUpDisplay hud;
};
