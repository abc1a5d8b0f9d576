#pragma once

// Replay floor: matches kept as their inputs: the record's format, its reader and writer, the
// state hash, replaying and the headless verifier. May use match and the layers below; no
// window, no drawing.

// How fast a replay is watched: paused, or 1/4 to 8 recorded ticks a frame, and one tick at a
// time while paused. The watcher asks each frame how many ticks to play; slow speeds play a
// tick every few frames, exactly, however long the replay runs.
class ReplayPace {
public:
    static constexpr int SLOWEST = -2; // speed 2^-2: a tick every fourth frame
    static constexpr int FASTEST = 3;  // speed 2^3: eight ticks a frame

    // The ticks to play this frame (consumes a step asked for while paused).
    int ticksThisFrame();

    void togglePause() { paused = !paused; }
    // While paused: one tick at the next frame. Otherwise nothing.
    void stepOnce() {
        if (paused)
            ++steps;
    }
    void faster();
    void slower();

    bool isPaused() const { return paused; }
    float speed() const; // recorded ticks a frame while playing
    // Whether anything differs from playing at speed 1.
    bool changed() const { return paused || exponent != 0; }

private:
    bool paused = false;
    int exponent = 0; // speed 2^exponent
    int steps = 0;    // ticks asked for while paused
    int frames = 0;   // frames played at a slow speed since its last tick
};
