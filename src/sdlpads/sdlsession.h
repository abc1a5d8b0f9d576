#pragma once

// SDL pads floor: the system's pads through SDL2, and virtual pads for scripted play; the only
// code that includes SDL. May use input.

#include <string>

// Keeps SDL's game controller support running while anyone needs it: the joystick back end
// and the virtual pads. SDL runs beside GLUT without video: only its joystick, game
// controller and event subsystems. Pads are read whether or not the window has the focus,
// and SDL installs no signal handlers (Ctrl+C still ends the program).
//
// The first acquire starts SDL and adds the mappings of "gamecontrollerdb.txt" in the working
// directory when there is one (SDL itself reads SDL_GAMECONTROLLERCONFIG); the last release
// shuts it down.
bool acquireSdlPads(std::string& error);
void releaseSdlPads();

// Set once the joystick back end has fixed its pads; virtual pads attached later would not be
// seen.
bool sdlPadsEnumerated();
void setSdlPadsEnumerated(bool enumerated);
