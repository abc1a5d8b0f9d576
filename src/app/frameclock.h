#pragma once

#include "math/timer.h"

// The clock the animating screens share: dt is the wall-clock time since the previous tick
// of any screen, so a screen switch does not restart it.
class FrameClock {
public:
    // Reads the clock; sets dt = now - lastTime and lastTime = now.
    void tick();

    float lastTime = 0.0f; // seconds since program start at the last tick
    float dt = 0.0f;       // seconds

private:
    Timer timer; // started when the clock is created, at program start
};

extern FrameClock frameClock;
