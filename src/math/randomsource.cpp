#include "math/randomsource.h"

#include <cstdlib>
#include <ctime>

RandomSource randomSource;

namespace {
// rand() spans [0, RAND_MAX]; scaling by this maps it onto [0, 1].
const float RAND_SCALE = static_cast<float>(1.0 / RAND_MAX);
} // namespace

RandomSource::RandomSource() : table{}, index(0) {
    seed(static_cast<unsigned int>(time(nullptr)));
}

void RandomSource::seed(unsigned int s) {
    lastSeed = s;
    srand(s);
    rand(); // the first draw after seeding follows the seed too closely; discard it
    for (int i = 0; i < TABLE_SIZE; ++i)
        table[i] = randomFloat(0.0f, 1.0f);
    index = 0;
    drawCount = 0; // the table's fill is part of seeding
}

float RandomSource::randomFloat(float a, float b) {
    ++drawCount;
    float x = a + rand() * (b - a) * RAND_SCALE;
    // RAND_MAX does not fit a float exactly and rounds up, so the top draw may pass b by an ulp.
    if (a <= b)
        return x > b ? b : x;
    return x < b ? b : x;
}

int RandomSource::randomInt(int a, int b) {
    ++drawCount;
    float x = rand() * static_cast<float>(b - a + 1) * RAND_SCALE + a;
    if (x > b)
        return b;
    return static_cast<int>(x);
}

float RandomSource::tableNext() {
    float value = table[index];
    index = (index + 1) % TABLE_SIZE;
    return value;
}

float RandomSource::tableUniform(float a, float b) {
    return a + tableNext() * (b - a);
}

int RandomSource::tableInt(int a, int b) {
    float x = tableNext() * static_cast<float>(b - a + 1) + a;
    if (x > b)
        return b;
    return static_cast<int>(x);
}
