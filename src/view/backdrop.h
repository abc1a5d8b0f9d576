#pragma once

// View floor: how a player sees the world: cameras, backdrop, heads-up display, view layout.
// May use entities and the layers below, and OpenGL.

#include <vector>

// The sky behind a follow camera: soft white discs on the six inner sides of a cube of half
// size 1 around the eye. Drawn with the eye's orientation only (no translation), so the discs
// stay put however far the camera moves. Owns its disc list; owned by its FollowCamera.
class Backdrop {
public:
    struct Disc {
        float x; // centre on the side, in [-1 + r, 1 - r]
        float y;
        float r;  // radius, in [0.05, 0.2]
        int side; // 0..5, numbered like the cube's faces
    };

    // Draws `count` discs from the skies' own generator (skyRandom), then sorts them by side.
    explicit Backdrop(int count);

    // Needs a current GL context. Leaves lighting off, blending off and flat shading on.
    void draw() const;

    int count;
    std::vector<Disc> discs; // `count` entries, sides ascending
    int sideCounts[6];       // discs per side; the runs of `discs` in side order

private:
    // Draws sideCounts[side] discs starting at `first`, front to back from depth z = 1.
    void drawRun(int first, int side) const;
};
