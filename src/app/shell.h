#pragma once

#include "app/frameobserver.h"
#include "app/keyboardstate.h"
#include "app/mousestate.h"
#include "app/screen.h"

// Program-wide state of the window shell, zero before main() runs.
extern Screen* currentScreen; // receives every event; not owned
extern int windowWidth;       // pixels, last size given to reshape; 0 until the first reshape
extern int windowHeight;
extern KeyboardState keys;
extern MouseState mouse;
// Whether the window covers the screen: set by openWindow, turned over by F11.
extern bool fullscreen;
// Watches the frames for scripted runs; null when nothing does. Not owned.
extern FrameObserver* frameObserver;

// Width over height for a viewport; a height of 0 (a minimised window) counts as 1.
float aspectRatio(int width, int height);

// The GLUT callbacks: record raw input, then forward the event to the current screen. F11
// (full screen on and off) and F12 (save a screenshot) belong to the shell on every screen
// and are not forwarded.
void onDisplay();
void onReshape(int width, int height);
void onKeyboard(unsigned char key, int x, int y);
void onKeyboardUp(unsigned char key, int x, int y);
void onSpecial(int key, int x, int y);
void onSpecialUp(int key, int x, int y);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);

// Keys from a script, delivered through the callbacks above exactly as GLUT would deliver
// them, at the pointer's last position, with `modifiers` (GLUT bits) as the modifier state.
void injectKeyboard(unsigned char key, bool down, int modifiers);
void injectSpecial(int key, bool down, int modifiers);

// Called by an animating screen's timer when a tick of the current screen starts a frame.
void beginFrame();
// Every screen ends its display() with this instead of swapping itself: scripted and F12
// screenshots read the back buffer here, before the swap.
void presentFrame();

// Ends the program from a screen ("Quit", "q"): leaves the main loop so that main releases
// everything and returns 0.
void quitProgram();

// Where F12 saves its pictures, under the working directory.
constexpr const char* SCREENSHOT_FOLDER = "screenshots";

struct WindowSettings {
    int width = 800; // pixels
    int height = 600;
    bool fullscreen = false;
    bool multisample = true; // antialiased edges, where the system offers them
};

// Initialises GLUT and opens the window (full screen if asked), then reports the OpenGL
// version.
void openWindow(int* argc, char** argv, const WindowSettings& settings = WindowSettings());

// Registers the callbacks, makes `first` current and runs the GLUT main loop. Returns 0 when
// the window is closed or a script ends the loop.
int runShell(Screen* first);
