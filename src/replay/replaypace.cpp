#include "replay/replaypace.h"

int ReplayPace::ticksThisFrame() {
    if (paused) {
        int ticks = steps;
        steps = 0;
        return ticks;
    }
    steps = 0;
    if (exponent >= 0)
        return 1 << exponent;
    // A tick on every 2^-exponent-th frame: counted in whole frames, so it never drifts.
    if (++frames < (1 << -exponent))
        return 0;
    frames = 0;
    return 1;
}

void ReplayPace::faster() {
    if (exponent < FASTEST)
        ++exponent;
    frames = 0;
}

void ReplayPace::slower() {
    if (exponent > SLOWEST)
        --exponent;
    frames = 0;
}

float ReplayPace::speed() const {
    return exponent >= 0 ? static_cast<float>(1 << exponent)
                         : 1.0f / static_cast<float>(1 << -exponent);
}
