#pragma once

#include "app/platform.h"
#include "app/screen.h"

// Period of the one-shot frame timers, in milliseconds: 1000 / 60 truncated.
constexpr unsigned int FRAME_TIMER_MS = static_cast<unsigned int>(1000.0 / 60);

// A screen that animates on a chain of one-shot 16 ms timers: while it is running, each
// display() arms exactly one timer, whose tick advances the screen and posts the redisplay
// that arms the next. After deactivate() the timer already pending still fires once; no
// further one is armed, because this screen's display() no longer runs.
class AnimatedScreen : public Screen {
public:
    void activate() override { running = true; }
    void deactivate() override { running = false; }
    bool isRunning() const { return running; }

protected:
    // Call at the end of display(). `value` reaches the tick callback.
    void scheduleNextFrame(Platform::TimerCallback tick, int value = 0) {
        if (running)
            platform().armTimer(FRAME_TIMER_MS, tick, value);
    }

    bool running = false;
};
