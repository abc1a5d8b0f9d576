#pragma once

// View floor: how a player sees the world: cameras, backdrop, heads-up display, view layout.
// May use entities and the layers below, and OpenGL.

#include <cstdint>

// Randomness for what is only drawn (the sky's discs, the menu's turning marker): a small
// generator of the view's own, so that drawing never takes a number from the simulation's
// shared random source and a match plays the same whatever is on the screen. xorshift32:
// period 2^32 - 1, a few instructions a draw; not for anything that must be unpredictable.
class ViewRandom {
public:
    explicit ViewRandom(uint32_t seed);

    uint32_t next();
    float uniform(float a, float b); // in [a, b)
    int uniformInt(int a, int b);    // in [a, b], each about equally often; needs a <= b

private:
    uint32_t state; // never 0
};

// The generator the skies draw from: a fixed seed, so the k-th sky made in a run is the same
// every run (and the players of a match and of its replay see the same skies).
ViewRandom& skyRandom();
