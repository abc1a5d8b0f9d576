#include "world/levelfile.h"

void writeFloats(std::ostream& out, const float* values, int count) {
    for (int i = 0; i < count; ++i)
        out << values[i] << " ";
}
