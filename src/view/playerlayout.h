#pragma once

// View floor: how a player sees the world: cameras, backdrop, heads-up display, view layout.
// May use entities and the layers below, and OpenGL.

#include <vector>

// One player's share of the window, in pixels, OpenGL's convention (origin bottom-left).
struct ViewRect {
    int x, y, width, height;
};

// The split-screen layout of `count` views in a window of width x height pixels: rows from the
// top of the window down, each filled left to right. 1 view fills the window; 2 stand one above
// the other; 3 or 4 make a 2x2 grid (with 3 the bottom right stays empty); 5 or 6 three rows of
// two; 7 to 9 three rows of three. No view for a count below 1.
std::vector<ViewRect> splitScreenLayout(int count, int width, int height);
