#include "view/viewrandom.h"

namespace {
constexpr uint32_t SKY_SEED = 0x5eed5u;
} // namespace

ViewRandom::ViewRandom(uint32_t seed) : state(seed != 0 ? seed : 0x9e3779b9u) {}

uint32_t ViewRandom::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float ViewRandom::uniform(float a, float b) {
    // The top 24 bits fill a float's mantissa exactly: [0, 1) without rounding up to 1.
    float unit = static_cast<float>(next() >> 8) * (1.0f / 16777216.0f);
    return a + unit * (b - a);
}

int ViewRandom::uniformInt(int a, int b) {
    uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(b) - a) + 1;
    return static_cast<int>(a + static_cast<int64_t>(next() % span));
}

ViewRandom& skyRandom() {
    static ViewRandom random(SKY_SEED);
    return random;
}
