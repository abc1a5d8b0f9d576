#pragma once

// SDL pads floor: the system's pads through SDL2, and virtual pads for scripted play; the only
// code that includes SDL. May use input.

#include <string>

// Virtual game controllers for scripted play: SDL pads that the game sees as the system's own
// (the joystick back end puts them before any real pad). Each has a name of its own,
// "Virtual Pad 1", "Virtual Pad 2", ..., and so a GUID of its own.
//
// A pad keeps the state its controls were set to, like a hand that holds a real pad: set
// while the pad is unplugged, a value shows when it is plugged in again. Values, unplugs and
// plugs show from the joystick manager's next pollEvents().

// Attaches `count` (0 .. 16) virtual controllers; only before the gamepads are enumerated
// (the joystick manager's first request), and only once.
bool attachVirtualPads(int count, std::string& error);
int virtualPadCount();

// `control`: "leftx", "lefty", "rightx", "righty" (-1 .. 1, y downwards), "lefttrigger",
// "righttrigger" (0 .. 1), or a button: "a", "b", "x", "y", "back", "guide", "start",
// "leftstick", "rightstick", "leftshoulder", "rightshoulder", "dpup", "dpdown", "dpleft",
// "dpright" (pressed from 0.5). Values beyond the range are held at its ends. False for an
// unknown control or pad, or a value that is not a number.
bool setVirtualPadControl(int pad, const std::string& control, float value);

// False for an unknown pad, one already in that state, or when SDL refuses.
bool unplugVirtualPad(int pad);
bool plugVirtualPad(int pad); // the same pad comes back: same GUID and name

// The rumble requests the game has sent pad `pad` since it was attached (each a call of SDL's
// rumble on it, whatever its strength); 0 for an unknown pad.
int virtualPadRumbles(int pad);

// Detaches every virtual pad and forgets them (a test's clean-up).
void detachVirtualPads();
