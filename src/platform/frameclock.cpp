#include "platform/frameclock.h"

#include "math/constants.h"

FrameClock frameClock;

void FrameClock::tick() {
    auto elapsed = std::chrono::steady_clock::now() - start;
    tickAt(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count());
}

void FrameClock::tickAt(int64_t nanoseconds) {
    if (fixedStep) {
        dt = static_cast<float>(SECONDS_PER_FRAME);
        lastTime += dt;
        return;
    }
    int64_t units = nanoseconds / NANOSECONDS_PER_UNIT;
    const double unitsPerSecond = 1e9 / static_cast<double>(NANOSECONDS_PER_UNIT);
    dt = static_cast<float>(static_cast<double>(units - lastUnits) / unitsPerSecond);
    lastUnits = units;
    lastTime = static_cast<float>(static_cast<double>(units) / unitsPerSecond);
}
