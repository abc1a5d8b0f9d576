#pragma once

#include <vector>

#include "app/platform.h"

// Stands in for GLUT while it is alive: records armed timers and redisplay requests, and
// reports a settable modifier state. Restores the real table when destroyed.
class FakePlatform {
public:
    struct PendingTimer {
        unsigned int milliseconds;
        Platform::TimerCallback callback;
        int value;
    };

    FakePlatform();
    ~FakePlatform();
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    // Fires the timers armed so far (not those they arm in turn), oldest first.
    int fireTimers();

    int modifiers = 0;
    int redisplays = 0;
    std::vector<PendingTimer> timers;
    int attachedMenu = 0; // menu attached to the right button, 0 when none
    int attachedButton = -1;

private:
    Platform saved;
};
