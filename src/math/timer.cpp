#include "math/timer.h"

#include <chrono>

namespace {
int64_t now() {
    return std::chrono::steady_clock::now().time_since_epoch().count();
}
} // namespace

Timer::Timer()
    : start(now()), frequency(static_cast<float>(std::chrono::steady_clock::period::den) /
                              static_cast<float>(std::chrono::steady_clock::period::num)) {}

void Timer::restart() {
    start = now();
}

float Timer::elapsedMilliseconds() const {
    return static_cast<float>(now() - start) / frequency * 1000.0f;
}

float Timer::elapsedSeconds() const {
    return elapsedMilliseconds() / 1000.0f;
}
