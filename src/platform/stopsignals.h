#pragma once

// Platform floor: the window system and the machine, below every screen. May use math, GLUT,
// OpenGL, X11 and libpng.

// SIGTERM and SIGINT asking the program to end. The handler only notes the request: the main
// loop polls it and quits as the player's "Quit" does, so a screenshot being written is
// finished, the trace gets its last line and nothing is left half-written. A second signal
// while the first is still pending ends the process at once, for a program that no longer
// polls.
void watchStopSignals();
bool stopSignalled();
