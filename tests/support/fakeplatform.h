#pragma once

#include <vector>

#include "platform/platform.h"

// Stands in for GLUT while it is alive: records armed timers, redisplay requests, swaps and
// the other calls, keeps a clock that the test sets, and reports a settable modifier state.
// Restores the real table when destroyed.
class FakePlatform {
public:
    struct PendingTimer {
        unsigned int milliseconds;
        Platform::TimerCallback callback;
        int value;
        double armedAt; // `now` when it was armed, seconds
        double due() const { return armedAt + milliseconds / 1000.0; }
    };

    FakePlatform();
    ~FakePlatform();
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    // Fires the timers armed so far (not those they arm in turn), soonest due first. Before each
    // fires, the clock moves on to its due time if that is later, as a real loop waits for it.
    int fireTimers();

    double now = 0.0; // the platform clock, seconds
    int modifiers = 0;
    int redisplays = 0;
    int swaps = 0;
    int loopsLeft = 0; // leaveMainLoop calls
    int fullScreenToggles = 0;
    bool keyboardFocus = true; // what hasKeyboardFocus answers
    std::vector<PendingTimer> timers;
    int attachedMenu = 0; // menu attached to the right button, 0 when none
    int attachedButton = -1;

private:
    Platform saved;
};
