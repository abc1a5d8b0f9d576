#pragma once

#include <cstdint>

// The program's one source of randomness: the C library generator, drawn from directly by
// randomFloat/randomInt, plus a table of 32768 values pre-drawn from it for the cheap
// table walk of sparks and decorative cubes. Seeded from the clock at start-up; a match seeds it
// again from its own seed, and tests call seed() to make every draw repeatable. Only the
// simulation draws from it: what is drawn on the screen has generators of its own.
//
// The C generator's state cannot be read, so the source tells where it stands by the seed it
// was last given and the number of draws made from the generator since; with the table's
// index, that is all that a copy of the game needs to be in the same place.
class RandomSource {
public:
    static constexpr int TABLE_SIZE = 32768;

    RandomSource();

    // Re-seeds the C generator and refills the table, exactly as start-up does with the clock.
    void seed(unsigned int seed);

    float randomFloat(float a, float b); // in [a, b]
    // In [a, b], every value about equally often: the generator's range is cut into b - a + 1
    // equal parts, and its largest value, which would give b + 1, is counted as b.
    int randomInt(int a, int b);

    float tableNext();
    float tableUniform(float a, float b);
    int tableInt(int a, int b);

    int tableIndex() const { return index; }
    unsigned int seedValue() const { return lastSeed; }
    // Draws from the C generator (randomFloat and randomInt) since the last seed().
    uint64_t draws() const { return drawCount; }

private:
    float table[TABLE_SIZE]; // uniform values in [0, 1]
    int index;               // next entry handed out
    unsigned int lastSeed = 0;
    uint64_t drawCount = 0;
};

// The one global instance.
extern RandomSource randomSource;
