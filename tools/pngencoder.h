#pragma once

#include <vector>

// A square RGBA picture as PNG bytes: 8 bits a channel, rows given bottom first (the canvas's
// order), written top first as PNG wants. The same pixels give the same bytes: fixed
// compression settings, no time stamp or other chunk that changes from run to run. Empty when
// libpng fails.
std::vector<unsigned char> encodePng(int size, const std::vector<unsigned char>& rgba);
