#include "platform/frameclock.h"

#include "math/constants.h"

FrameClock frameClock;

void FrameClock::tick() {
    if (fixedStep) {
        dt = static_cast<float>(SECONDS_PER_FRAME);
        lastTime += dt;
        return;
    }
    float now = timer.elapsedSeconds();
    dt = now - lastTime;
    lastTime = now;
}
