#include "synth.h"

#include <algorithm>
#include <cmath>

namespace synth {

double Noise::white() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<double>(state) / 2147483647.5 - 1.0;
}

double Noise::uniform(double a, double b) {
    return a + (white() + 1) * 0.5 * (b - a);
}

double LowPass::operator()(double x, double cutoff, double rate) {
    double a = 1 - std::exp(-2 * PI * std::max(cutoff, 1.0) / rate);
    y += a * (x - y);
    return y;
}

double HighPass::operator()(double x, double cutoff, double rate) {
    return x - low(x, cutoff, rate);
}

double BandPass::operator()(double x, double centre, double q, double rate) {
    // Chamberlin's filter, its frequency coefficient kept below the unstable range.
    double f = std::min(2 * std::sin(PI * std::min(centre, rate / 6) / rate), 1.0);
    double damping = 1 / std::max(q, 0.5);
    low += f * band;
    double high = x - low - damping * band;
    band += f * high;
    return band;
}

void Oscillator::advance(double frequency, double rate) {
    phase += frequency / rate;
    phase -= std::floor(phase);
}

double Oscillator::sine(double frequency, double rate) {
    double v = std::sin(2 * PI * phase);
    advance(frequency, rate);
    return v;
}

double Oscillator::saw(double frequency, double rate) {
    // The falling edge takes a few samples instead of one, which keeps the worst aliasing out.
    double edge = std::min(0.5, 3 * frequency / rate);
    double v = phase < 1 - edge ? 2 * phase / (1 - edge) - 1 : 1 - 2 * (phase - (1 - edge)) / edge;
    advance(frequency, rate);
    return v;
}

double Oscillator::square(double frequency, double rate, double duty) {
    double v = phase < duty ? 1.0 : -1.0;
    advance(frequency, rate);
    return v;
}

double Oscillator::triangle(double frequency, double rate) {
    double v = phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase;
    advance(frequency, rate);
    return v;
}

double attackDecay(double t, double attack, double decay) {
    if (t < 0)
        return 0;
    if (t < attack)
        return t / attack;
    return std::exp(-(t - attack) / decay);
}

double adsr(double t, double length, double attack, double decay, double sustain, double release) {
    if (t < 0)
        return 0;
    auto held = [&](double u) {
        if (u < attack)
            return u / attack;
        return sustain + (1 - sustain) * std::exp(-(u - attack) / decay);
    };
    if (t < length)
        return held(t);
    return held(length) * std::exp(-(t - length) / release);
}

double glide(double t, double time, double from, double to) {
    if (t >= time)
        return to;
    return from * std::pow(to / from, std::max(t, 0.0) / time);
}

double noteFrequency(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

void mixInto(Samples& into, const Samples& source, size_t at, double gain) {
    if (into.size() < at + source.size())
        into.resize(at + source.size(), 0.0f);
    for (size_t i = 0; i < source.size(); ++i)
        into[at + i] += static_cast<float>(source[i] * gain);
}

void normalize(Samples& samples, double peak) {
    double largest = 0;
    for (float s : samples)
        largest = std::max(largest, static_cast<double>(std::fabs(s)));
    if (largest <= 0)
        return;
    double scale = peak / largest;
    for (float& s : samples)
        s = static_cast<float>(s * scale);
}

void softClip(Samples& samples, double drive) {
    double norm = std::tanh(drive);
    for (float& s : samples)
        s = static_cast<float>(std::tanh(s * drive) / norm);
}

void fadeEnds(Samples& samples, double rate, double fadeIn, double fadeOut) {
    size_t in = std::min(samples.size(), static_cast<size_t>(fadeIn * rate));
    size_t out = std::min(samples.size(), static_cast<size_t>(fadeOut * rate));
    for (size_t i = 0; i < in; ++i)
        samples[i] = static_cast<float>(samples[i] * (static_cast<double>(i) / in));
    for (size_t i = 0; i < out; ++i)
        samples[samples.size() - 1 - i] =
            static_cast<float>(samples[samples.size() - 1 - i] * (static_cast<double>(i) / out));
}

void removeDc(Samples& samples) {
    if (samples.empty())
        return;
    double sum = 0;
    for (float s : samples)
        sum += s;
    float mean = static_cast<float>(sum / static_cast<double>(samples.size()));
    for (float& s : samples)
        s -= mean;
}

} // namespace synth
