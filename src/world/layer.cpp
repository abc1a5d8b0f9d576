#include <cassert>

#include "world/rubikscube.h"

Layer::Layer(int size, int axis, int index)
    : size(size), axis(axis), cellCount(size * size), index(index) {
    assert(axis >= 0 && axis < 3);
    assert(index >= 0 && index < size);
    cells.reserve(cellCount);
    for (int j = 0; j < size; ++j)
        for (int k = 0; k < size; ++k) {
            if (axis == 0)
                cells.push_back({index, k, j});
            else if (axis == 1)
                cells.push_back({j, index, k});
            else
                cells.push_back({k, j, index});
        }
}
