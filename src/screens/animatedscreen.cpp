#include "screens/animatedscreen.h"

#include "screens/shell.h"

AnimatedScreen::AnimatedScreen() : chain([this] { onTimer(); }) {}

// The chain starts here, not only at the first display: a window that is covered or hidden
// gets no display, and its game must go on all the same.
void AnimatedScreen::activate() {
    running = true;
    chain.restart();
    chain.arm();
}

void AnimatedScreen::scheduleNextFrame() {
    if (running)
        chain.arm();
}

void AnimatedScreen::onTimer() {
    // A tick of the current screen opens a frame; the last tick of a screen switched away
    // from still runs, but belongs to no frame.
    if (currentScreen == this)
        beginFrame();
    tick();
    scheduleNextFrame();
}
