#pragma once

// Platform floor: the window system and the machine, below every screen. May use math, GLUT,
// OpenGL, X11 and libpng.

// The window's state, zero before main() runs.
extern int windowWidth; // pixels, last size given to reshape; 0 until the first reshape
extern int windowHeight;
// Whether the window covers the screen: set by openWindow, turned over by F11.
extern bool fullscreen;

// Width over height for a viewport; a height of 0 (a minimised window) counts as 1.
float aspectRatio(int width, int height);

struct WindowSettings {
    int width = 800; // pixels
    int height = 600;
    bool fullscreen = false;
    bool multisample = true; // antialiased edges, where the system offers them
};

// Initialises GLUT and opens the window (full screen if asked), then reports the OpenGL
// version.
void openWindow(int* argc, char** argv, const WindowSettings& settings = WindowSettings());
