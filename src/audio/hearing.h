#pragma once

#include <vector>

#include "math/vectors.h"

// Who hears a sound of the world, and how: the split-screen rule. Pure arithmetic, no audio.

// One player's view as the ears see it: its camera and where the view sits in the window.
struct Listener {
    Vec3f eye;       // the camera's position, world units
    Vec3f lookPoint; // what it looks at
    Vec3f up;        // its up direction (the tank's face normal); need not be unit
    float fovY = 33; // vertical field of view, degrees
    int face = 0;    // the face the view's tank stands on, 0..5
    // The view's rectangle in window pixels, origin bottom left (as glViewport takes it).
    float x = 0, y = 0, width = 1, height = 1;
};

// A sound at a place in the world.
struct SoundPlace {
    Vec3f position;     // world units
    int face = -1;      // 0..5; -1 for the cube as a whole (a layer turn): no face is "other"
    float loudness = 1; // 0..1, before distance and the cube take their share
};

struct Heard {
    int view = -1;  // the listener that hears it loudest; -1 when there is none
    float gain = 0; // 0..1
    float pan = 0;  // -1 all left .. +1 all right
};

// Closer than this to a view's camera a sound is heard at its full loudness (world units). The
// camera trails its tank by about 12, so a view hears its own tank's doings at full loudness.
constexpr float HEARING_NEAR = 30.0f;
// A sound on another face than the view's tank is heard through the cube: this part of it
// (about -9 dB).
constexpr float THROUGH_CUBE = 0.35f;

// The rule (see hearing.cpp): for each view, the sound's loudness falls with its distance from
// the view's camera and is cut by THROUGH_CUBE on another face; the view that hears it loudest
// takes it, and it is panned towards where it shows in the window. With no listener (menus, the
// editor) it is heard at its own loudness from the middle. Cost: a few dozen operations a view.
Heard hear(const std::vector<Listener>& views, float windowWidth, const SoundPlace& sound);

// The loudness one view hears the sound at, 0..1.
float loudnessIn(const Listener& view, const SoundPlace& sound);
// Where the sound shows across the view: -1 its left edge .. +1 its right edge; a sound behind
// the camera or beyond the view's sides is put at the side it lies towards.
float acrossView(const Listener& view, const Vec3f& position);

// Constant-power pan law: the two channels' gains (0..1) for a pan of -1..1; at 0 each is
// 1/sqrt(2), so a sound moving across keeps its loudness.
void panGains(float pan, float& left, float& right);
