#include "app/frameclock.h"

FrameClock frameClock;

void FrameClock::tick() {
    float now = timer.elapsedSeconds();
    dt = now - lastTime;
    lastTime = now;
}
