#pragma once

#include <vector>

// The game's icon for launchers: a tank on the top face of a Rubik's cube, seen from above a
// corner. RGBA, bottom row first, `size` x `size` pixels, transparent round the cube.
std::vector<unsigned char> drawAppIcon(int size);

// The sizes the launcher icons ship in (hicolor), pixels.
const std::vector<int>& appIconSizes();
