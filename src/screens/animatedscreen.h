#pragma once

// Screens floor: the shell that routes the window's events, and the screens. May use view,
// match, input, platform and the layers below; no SDL.

#include "platform/framechain.h"
#include "screens/screen.h"

// A screen that animates on its own chain of one-shot timers, 60 ticks a second while it is
// running. Each tick arms the next before the picture it asks for is drawn, so the game goes
// on while no picture can be drawn (a minimised, hidden or one-pixel window gets no display);
// display() (and, if it likes, activate()) asks for the next frame too, which starts a chain
// that is not running. Whatever the number of displays (window exposures, resizes, switches, a
// second activation), the screen has one chain and one pending timer, so its per-tick
// animations keep their pace. After deactivate() the timer already pending still fires once
// and runs its whole tick; no further one is armed, because the screen no longer asks.
class AnimatedScreen : public Screen {
public:
    AnimatedScreen();

    void activate() override;
    void deactivate() override { running = false; }
    bool isRunning() const { return running; }
    bool hasFrameChain() const override { return running; }

    // One frame's advance of the screen, run by its timer.
    virtual void tick() = 0;

protected:
    // Call at the end of display(): arms the chain's timer unless the screen is not running or
    // a timer is already pending.
    void scheduleNextFrame();

private:
    void onTimer();

    FrameChain chain;
    bool running = false;
};
