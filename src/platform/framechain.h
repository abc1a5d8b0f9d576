#pragma once

// Platform floor: the window system and the machine, below every screen. May use math, GLUT,
// OpenGL, X11 and libpng.

#include <functional>

// One chain of one-shot timers that ticks its owner at 60 a second on the platform clock.
// At most one timer of a chain is pending at any time, so however often the owner asks for
// the next frame (every tick, every display, every window exposure, every activation), it is
// ticked once per period. Each timer is armed for what is left of the current 1/60 s period,
// not for a fresh 16 ms after the frame's work, so the rate does not drop by the time a frame
// takes. A late chain ticks a millisecond after its last tick (time for the picture) until it
// is back on its grid, so a busy moment of the machine
// costs no ticks; after a stall of more than MAX_CATCH_UP it picks up the pace from then on
// instead of catching up with a burst.
//
// Owned by the screen (or shell driver) it ticks. A timer still pending when its chain is
// destroyed fires into nothing.
class FrameChain {
public:
    static constexpr double MAX_CATCH_UP = 0.1; // seconds of lateness still made up
    explicit FrameChain(std::function<void()> onTick);
    ~FrameChain();
    FrameChain(const FrameChain&) = delete;
    FrameChain& operator=(const FrameChain&) = delete;

    // The next arm() starts a new period from its own time, unless a timer is pending: then
    // that timer carries the chain on, and nothing changes.
    void restart();
    // Arms the chain's timer unless one is pending. Returns whether it armed one.
    bool arm();
    bool pending() const { return isPending; }
    // When the next tick is due, in platform seconds (meaningful once armed).
    double nextDue() const { return due; }

    // Unpaced, every chain's timer fires a millisecond after it is armed instead of at its due
    // time: frames follow each other as fast as they are drawn (a fast scripted run).
    // Program-wide.
    static void setUnpaced(bool unpaced);
    static bool isUnpaced();

private:
    static void fire(int id);

    std::function<void()> onTick;
    int id;                 // the timer value that finds this chain again
    bool isPending = false; // a timer of this chain is armed and has not fired
    bool fresh = true;      // the next arm() starts the period grid anew
    double due = 0.0;       // platform seconds at which the next tick is due
};
