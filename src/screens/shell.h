#pragma once

// Screens floor: the shell that routes the window's events, and the screens. May use view,
// match, input, platform and the layers below; no SDL.

#include <string>

#include "platform/keyboardstate.h"
#include "platform/mousestate.h"
#include "platform/window.h"
#include "screens/frameobserver.h"
#include "screens/screen.h"

// Program-wide state of the window shell, zero before main() runs.
extern Screen* currentScreen; // receives every event; not owned
extern KeyboardState keys;
extern MouseState mouse;

// Watches the frames for scripted runs: `observer` replaces the one before (null for none). Not
// owned; the observer must stay until it is replaced.
void setFrameObserver(FrameObserver* observer);
FrameObserver* frameObserver();

// Deactivates the current screen (if any), activates `next`, makes it current and asks for
// a redisplay. Switching to the current screen deactivates and re-activates it.
void switchScreen(Screen* next);

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
// them, at the pointer's last position; a character key with `modifiers` (GLUT bits) as the
// modifier state.
void injectKeyboard(unsigned char key, bool down, int modifiers);
void injectSpecial(int key, bool down);

// Called by an animating screen's timer when a tick of the current screen starts a frame.
void beginFrame();
// Every screen ends its display() with this instead of swapping itself: scripted and F12
// screenshots read the back buffer here, before the swap.
void presentFrame();

// Ends the program from a screen ("Quit", "q"): leaves the main loop so that main releases
// everything and returns 0.
void quitProgram();

// Where F12 saves its pictures: the player's pictures folder, which main sets (empty: nowhere,
// and F12 says so); created when the first picture is saved.
extern std::string screenshotFolder;

// Registers the callbacks, makes `first` current and runs the GLUT main loop. Returns 0 when
// the window is closed or a script ends the loop.
int runShell(Screen* first);
