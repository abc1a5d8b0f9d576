#pragma once

// Platform floor: the window system and the machine, below every screen. May use math, GLUT,
// OpenGL, X11 and libpng.

// The GLUT services that input handling, screen switching and the frame timers need outside
// of drawing, and the clock that paces the frames. They go through this table so that all of
// that runs in tests without a window; the program uses the real GLUT functions, installed by
// default.
struct Platform {
    using TimerCallback = void (*)(int value);

    int (*getModifiers)();   // glutGetModifiers
    void (*postRedisplay)(); // glutPostRedisplay
    void (*armTimer)(unsigned int milliseconds, TimerCallback callback, int value);
    void (*attachMenu)(int menu, int button); // glutSetMenu + glutAttachMenu
    void (*detachMenu)(int button);           // glutDetachMenu
    double (*seconds)();                      // monotonic clock, seconds
    void (*swapBuffers)();                    // glutSwapBuffers
    void (*leaveMainLoop)();                  // glutLeaveMainLoop
    void (*toggleFullScreen)();               // glutFullScreenToggle
    // False only when the window system says another window has the keyboard: a key released
    // there never reaches us, so whatever we hold as pressed must be let go.
    bool (*hasKeyboardFocus)();
};

// The table in use. Tests may replace its entries and must restore them.
Platform& platform();

// The real GLUT table.
Platform glutPlatform();
