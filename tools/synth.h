#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The building blocks the game's sounds are made of: oscillators, noise, envelopes and filters
// over mono sample buffers of floats in -1..1. Everything is computed in double precision from
// the recipe alone (the noise has its own seeded generator), so a recipe gives the same samples
// on every run.
namespace synth {

using Samples = std::vector<float>;

constexpr double PI = 3.14159265358979323846;

// A small generator of its own for noise (xorshift), so that no sound depends on the game's
// random source or on the C library's.
class Noise {
public:
    explicit Noise(uint32_t seed) : state(seed ? seed : 0x9e3779b9u) {}
    double white(); // uniform in -1..1
    double uniform(double a, double b);

private:
    uint32_t state;
};

// One-pole filters; `cutoff` in Hz at `rate` samples a second, may change every sample.
class LowPass {
public:
    double operator()(double x, double cutoff, double rate);

private:
    double y = 0;
};

class HighPass {
public:
    double operator()(double x, double cutoff, double rate);

private:
    LowPass low;
};

// A resonant band-pass (state-variable filter): `q` about 0.5 (wide) to 20 (ringing).
class BandPass {
public:
    double operator()(double x, double centre, double q, double rate);

private:
    double low = 0, band = 0;
};

// Oscillators that follow a changing frequency smoothly: each call advances the phase by
// frequency / rate of a cycle.
class Oscillator {
public:
    double sine(double frequency, double rate);
    double saw(double frequency, double rate); // band-limited by a softened edge
    double square(double frequency, double rate, double duty = 0.5);
    double triangle(double frequency, double rate);
    double phase = 0; // cycles, 0..1

private:
    void advance(double frequency, double rate);
};

// Envelopes, t in seconds from the note's start.
double attackDecay(double t, double attack, double decay); // rise linearly, fall exponentially
double adsr(double t, double length, double attack, double decay, double sustain,
            double release); // `length` is the time the note is held before releasing
// From `from` to `to` over `time` seconds on a logarithmic (pitch-like) curve, then `to`.
double glide(double t, double time, double from, double to);

// Frequency of a MIDI note number (69 = A4 = 440 Hz).
double noteFrequency(int note);

// Adds `source` scaled by `gain` into `into` from sample `at` on, growing `into` if needed.
void mixInto(Samples& into, const Samples& source, size_t at, double gain = 1.0);
// Scales the buffer so that its largest magnitude is `peak`.
void normalize(Samples& samples, double peak);
// Gentle saturation that rounds off peaks instead of clipping them.
void softClip(Samples& samples, double drive);
// Short linear fades at both ends, so that a sound starts and stops without a click.
void fadeEnds(Samples& samples, double rate, double fadeIn, double fadeOut);
// Removes any constant offset.
void removeDc(Samples& samples);

} // namespace synth
