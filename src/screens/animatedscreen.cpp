#include "screens/animatedscreen.h"

#include "screens/shell.h"

AnimatedScreen::AnimatedScreen() : chain([this] { onTimer(); }) {}

void AnimatedScreen::activate() {
    running = true;
    chain.restart();
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
    // A screen switched to since this timer was armed starts its frames from here, not only
    // at its first display: a covered or hidden window gets none, and its game must go on.
    if (currentScreen != this)
        if (auto* next = dynamic_cast<AnimatedScreen*>(currentScreen))
            next->scheduleNextFrame();
}
