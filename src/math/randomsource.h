#pragma once

// The program's one source of randomness: the C library generator, drawn from directly by
// randomFloat/randomInt, plus a table of 32768 values pre-drawn from it for the cheap
// table walk of sparks and decorative cubes. Seeded from the clock at start-up; tests call
// seed() to make every draw repeatable.
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

private:
    float table[TABLE_SIZE]; // uniform values in [0, 1]
    int index;               // next entry handed out
};

// The one global instance.
extern RandomSource randomSource;
