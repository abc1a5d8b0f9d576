#pragma once

// SDL pads floor: the system's pads through SDL2, and virtual pads for scripted play; the only
// code that includes SDL. May use input.

#include <SDL.h>

#include "input/joystickbackend.h"

// How an SDL pad looks to the device layer: as a Windows game pad. Positions are 0 .. 65535
// on capabilities 0 .. 65535, so the layer's own scaling applies.
//
// A game controller: axis X = left stick x, Y = left stick y, Z = left trigger minus right
// trigger (centred at rest), R = right stick y, U = right stick x; buttons 0..9 = A, B, X, Y,
// left shoulder, right shoulder, back, start, left stick, right stick; the d-pad as the hat.
// A joystick without a controller mapping: its first six axes in order, its first 32
// buttons and its first hat.

void controllerCaps(SDL_GameController* controller, JoystickCaps& caps);
void controllerPosition(SDL_GameController* controller, JoystickPosition& position);
void rawCaps(SDL_Joystick* joystick, JoystickCaps& caps);
void rawPosition(SDL_Joystick* joystick, JoystickPosition& position);

// The hat angle in hundredths of a degree clockwise from up for the pressed directions;
// JOY_POVCENTERED when none, or when opposite ones cancel out.
uint32_t hatAngle(bool up, bool right, bool down, bool left);
