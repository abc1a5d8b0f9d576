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

#include <string>

// Antialiased edges through a multisampled window cost a software renderer about half its
// frame rate, and a graphics card next to nothing.
enum class Multisample {
    AUTO, // on where a graphics card draws, off where the renderer is software
    ON,   // where the system offers it
    OFF,
};

struct WindowSettings {
    int width = 800; // pixels
    int height = 600;
    bool fullscreen = false;
    Multisample multisample = Multisample::AUTO;
    std::string multisampleSource = "default"; // who chose it, for the start-up line
};

// Whether an OpenGL renderer string names a renderer that draws in software (Mesa's llvmpipe,
// softpipe, swrast), in any case.
bool isSoftwareRenderer(const std::string& renderer);

// Initialises GLUT and opens the window (full screen if asked), then reports the OpenGL
// version and, in a line "Multisampling: ...", the window's samples and why. For AUTO the window
// is first opened without multisampling, which is kept on a software renderer; on a graphics
// card it is opened once more, multisampled.
void openWindow(int* argc, char** argv, const WindowSettings& settings = WindowSettings());
