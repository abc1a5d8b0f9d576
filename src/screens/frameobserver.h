#pragma once

// Screens floor: the shell that routes the window's events, and the screens. May use view,
// match, input, platform and the layers below; no SDL.

// Watches the frames of the running program. A frame is one tick of the current screen's
// timer chain (or, for a screen without one, a frame the observer drives itself) followed by
// the display it asks for. The shell calls these; the observer is not owned by it.
class FrameObserver {
public:
    virtual ~FrameObserver() = default;

    // A frame starts: nothing of it has run yet.
    virtual void beginFrame() = 0;
    // The current display has drawn everything and is about to swap: the back buffer holds
    // the picture.
    virtual void beforeSwap() = 0;
    // A display has finished (whether or not it ended a frame).
    virtual void afterDisplay() = 0;
};
