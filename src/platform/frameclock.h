#pragma once

// Platform floor: the window system and the machine, below every screen. May use math, GLUT,
// OpenGL, X11 and libpng.

#include <chrono>
#include <cstdint>

// The clock the animating screens share: dt is the wall-clock time since the previous tick
// of any screen, so a screen switch does not restart it.
//
// Time is counted in whole milliseconds of the steady clock since the clock was made, in 64
// bits: dt is the difference of two such counts, so the part of a millisecond a tick does not
// get goes to the next one (nothing drifts), and dt is as exact after a day as after a second
// (float seconds since the start would have lost a quarter of a millisecond after an hour and
// eight after a day). A tick's dt therefore takes few values (16 or 17 ms at 60 ticks a second),
// which a match's record keeps in next to nothing.
class FrameClock {
public:
    static constexpr int64_t NANOSECONDS_PER_UNIT = 1000000; // dt's unit: a millisecond

    // Reads the clock; sets dt = now - lastTime and lastTime = now. With a fixed step, dt is
    // exactly one frame (1/60 s) and lastTime advances by it, whatever the clock says, so a
    // scripted run replays the same way on any machine.
    void tick();
    // What tick() does when the clock reads `nanoseconds` since the clock was made.
    void tickAt(int64_t nanoseconds);

    float lastTime = 0.0f; // seconds since program start at the last tick
    float dt = 0.0f;       // seconds
    bool fixedStep = false;

private:
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    int64_t lastUnits = 0; // whole units since the start at the last tick
};

extern FrameClock frameClock;
