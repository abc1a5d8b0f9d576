#pragma once

// Platform floor: the window system and the machine, below every screen. May use math, GLUT,
// OpenGL, X11 and libpng.

#include "math/timer.h"

// The clock the animating screens share: dt is the wall-clock time since the previous tick
// of any screen, so a screen switch does not restart it.
class FrameClock {
public:
    // Reads the clock; sets dt = now - lastTime and lastTime = now. With a fixed step, dt is
    // exactly one frame (1/60 s) and lastTime advances by it, whatever the clock says, so a
    // scripted run replays the same way on any machine.
    void tick();

    float lastTime = 0.0f; // seconds since program start at the last tick
    float dt = 0.0f;       // seconds
    bool fixedStep = false;

private:
    Timer timer; // started when the clock is created, at program start
};

extern FrameClock frameClock;
