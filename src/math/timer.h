#pragma once

#include <cstdint>

// Wall-clock stopwatch on the monotonic steady clock.
class Timer {
public:
    Timer();
    void restart();
    float elapsedMilliseconds() const;
    float elapsedSeconds() const;

private:
    int64_t start;   // clock ticks at the last restart()
    float frequency; // clock ticks per second
};
