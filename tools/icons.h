#pragma once

#include <string>
#include <vector>

// The item and health icons: RGBA, bottom row first, `size` x `size` pixels.
struct Icon {
    std::string file; // name under textures/
    int size;
    std::vector<unsigned char> rgba;
};

std::vector<Icon> buildIcons();
