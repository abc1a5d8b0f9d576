#pragma once

#include "app/keyboardstate.h"
#include "app/mousestate.h"
#include "app/screen.h"

// Program-wide state of the window shell, zero before main() runs.
extern Screen* currentScreen; // receives every event; not owned
extern int windowWidth;       // pixels, last size given to reshape; 0 until the first reshape
extern int windowHeight;
extern KeyboardState keys;
extern MouseState mouse;

// Start in GLUT game mode instead of the 800x600 window. Nothing turns it on.
constexpr bool fullscreen = false;

// Width over height for a viewport; a height of 0 (a minimised window) counts as 1.
float aspectRatio(int width, int height);

// The GLUT callbacks: record raw input, then forward the event to the current screen.
void onDisplay();
void onReshape(int width, int height);
void onKeyboard(unsigned char key, int x, int y);
void onKeyboardUp(unsigned char key, int x, int y);
void onSpecial(int key, int x, int y);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);

// Initialises GLUT and opens the window (or game mode), then reports the OpenGL version.
void openWindow(int* argc, char** argv);

// Registers the callbacks, makes `first` current and runs the GLUT main loop. Returns 0 when
// the window is closed.
int runShell(Screen* first);
