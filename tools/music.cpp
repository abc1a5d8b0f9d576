#include <cmath>
#include <functional>

#include "sounds.h"

using namespace synth;

namespace {

constexpr double RATE = SOUND_RATE;

// The instruments of the two loops. Each renders one note of `length` seconds held (it may ring
// on after that) at `frequency`, `velocity` 0..1.
enum class Instrument { BASS, PAD, ARP, LEAD, KICK, SNARE, HAT };

struct Note {
    double beat;  // start, in beats from the loop's start
    double beats; // how long it is held
    int pitch;    // MIDI note number; unused by the drums
    double velocity;
    Instrument instrument;
};

Samples renderNote(const Note& note, double secondsPerBeat, uint32_t seed) {
    double held = note.beats * secondsPerBeat;
    double f = noteFrequency(note.pitch);
    Oscillator a, b, c;
    LowPass low;
    HighPass high;
    BandPass band;
    Noise noise(seed);
    double ring = 0; // how long the instrument sounds past the note's end, seconds
    std::function<double(double)> voice;
    switch (note.instrument) {
    case Instrument::BASS:
        ring = 0.08;
        voice = [&](double t) {
            double env = adsr(t, held, 0.005, 0.12, 0.6, 0.03);
            return low(a.saw(f, RATE) + 0.5 * b.square(f / 2, RATE), 250 + 1400 * env, RATE) * env;
        };
        break;
    case Instrument::PAD:
        ring = 0.6;
        voice = [&](double t) {
            double env = adsr(t, held, 0.4, 0.6, 0.8, 0.25);
            double v = a.saw(f * 0.997, RATE) + b.saw(f * 1.003, RATE) + 0.5 * c.sine(f / 2, RATE);
            return low(v, 900, RATE) * env * 0.35;
        };
        break;
    case Instrument::ARP:
        ring = 0.25;
        voice = [&](double t) {
            return low(a.triangle(f, RATE) + 0.2 * b.square(f * 2, RATE, 0.3),
                       700 + 3000 * std::exp(-t / 0.05), RATE) *
                   attackDecay(t, 0.002, 0.12);
        };
        break;
    case Instrument::LEAD:
        ring = 0.12;
        voice = [&](double t) {
            double vibrato = 1 + 0.005 * std::sin(2 * PI * 6 * t) * std::min(t / 0.2, 1.0);
            double env = adsr(t, held, 0.01, 0.2, 0.7, 0.05);
            return low(a.square(f * vibrato, RATE, 0.3) + 0.5 * b.saw(f * vibrato * 1.005, RATE),
                       1200 + 2500 * env, RATE) *
                   env * 0.45;
        };
        break;
    case Instrument::KICK:
        ring = 0.3;
        voice = [&](double t) {
            return a.sine(glide(t, 0.08, 140, 45), RATE) * attackDecay(t, 0.001, 0.12) +
                   0.3 * noise.white() * attackDecay(t, 0.0005, 0.004);
        };
        break;
    case Instrument::SNARE:
        ring = 0.25;
        voice = [&](double t) {
            return band(noise.white(), 1800, 0.8, RATE) * attackDecay(t, 0.001, 0.07) * 1.4 +
                   0.5 * a.sine(190, RATE) * attackDecay(t, 0.001, 0.04);
        };
        break;
    case Instrument::HAT:
        ring = 0.06;
        voice = [&](double t) {
            return high(noise.white(), 7000, RATE) * attackDecay(t, 0.0005, 0.022) * 0.6;
        };
        break;
    }
    Samples out(static_cast<size_t>((held + ring) * RATE));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<float>(voice(static_cast<double>(i) / RATE) * note.velocity);
    // No click where a long note is cut off.
    fadeEnds(out, RATE, 0.0, 0.005);
    return out;
}

// Renders the notes into a loop of `beats` beats. What rings on past the end goes round to the
// start, as it would when the loop plays again: the loop has no seam.
Samples renderLoop(const std::vector<Note>& notes, double beats, double tempo) {
    double secondsPerBeat = 60 / tempo;
    size_t length = static_cast<size_t>(std::lround(beats * secondsPerBeat * RATE));
    Samples loop(length, 0.0f);
    uint32_t seed = 1;
    for (const Note& note : notes) {
        Samples s = renderNote(note, secondsPerBeat, seed++);
        size_t at = static_cast<size_t>(std::lround(note.beat * secondsPerBeat * RATE));
        for (size_t i = 0; i < s.size(); ++i)
            loop[(at + i) % length] += s[i];
    }
    removeDc(loop);
    softClip(loop, 1.2);
    normalize(loop, 0.7);
    return loop;
}

void chord(std::vector<Note>& notes, double beat, double beats, std::initializer_list<int> pitches,
           double velocity, Instrument instrument) {
    for (int p : pitches)
        notes.push_back({beat, beats, p, velocity, instrument});
}

} // namespace

// Calm: a pad under a rippling arpeggio, a soft bass, a light hat. A minor, four bars of
// Am - F - C - G at 92 beats a minute (about 10.4 s).
Samples menuMusic() {
    std::vector<Note> notes;
    const int roots[] = {57, 53, 48, 55}; // A3 F3 C3 G3
    const std::vector<std::vector<int>> chords = {
        {69, 72, 76}, {65, 69, 72}, {64, 67, 72}, {62, 67, 71}};
    for (int bar = 0; bar < 4; ++bar) {
        double b = bar * 4.0;
        std::vector<int> c = chords[static_cast<size_t>(bar)];
        chord(notes, b, 3.8, {c[0] - 12, c[1] - 12, c[2] - 12}, 0.8, Instrument::PAD);
        notes.push_back({b, 1.5, roots[bar] - 12, 0.7, Instrument::BASS});
        notes.push_back({b + 2, 1.5, roots[bar] - 12, 0.6, Instrument::BASS});
        const int order[] = {0, 1, 2, 1, 0, 2, 1, 2};
        for (int i = 0; i < 8; ++i) {
            int p = c[static_cast<size_t>(order[i])] + (i >= 4 ? 12 : 0);
            notes.push_back({b + i * 0.5, 0.4, p, 0.35 + 0.1 * (i % 2 == 0), Instrument::ARP});
        }
        for (int i = 0; i < 4; ++i)
            notes.push_back({b + i + 0.5, 0.1, 0, 0.25, Instrument::HAT});
    }
    return renderLoop(notes, 16, 92);
}

// Driving: four on the floor, snare on two and four, eighth-note hats, a pumping bass and a
// lead riff in the second half. D minor, Dm - Bb - C - A twice, at 132 beats a minute (about
// 14.5 s).
Samples matchMusic() {
    std::vector<Note> notes;
    const int roots[] = {38, 34, 36, 33}; // D2 Bb1 C2 A1
    for (int bar = 0; bar < 8; ++bar) {
        double b = bar * 4.0;
        int root = roots[bar % 4];
        for (int i = 0; i < 4; ++i) {
            notes.push_back({b + i, 0.2, 0, 1.0, Instrument::KICK});
            if (i % 2 == 1)
                notes.push_back({b + i, 0.2, 0, 0.8, Instrument::SNARE});
        }
        for (int i = 0; i < 8; ++i) {
            notes.push_back({b + i * 0.5, 0.05, 0, i % 2 ? 0.5 : 0.3, Instrument::HAT});
            int p = root + ((i == 3 || i == 7) ? 12 : 0);
            notes.push_back({b + i * 0.5, 0.4, p, 0.75, Instrument::BASS});
        }
    }
    // The riff: two bars answered by two, over the second pass.
    const Note riff[] = {
        {0, 0.5, 74, 0.8, Instrument::LEAD},   {0.5, 0.5, 77, 0.8, Instrument::LEAD},
        {1, 1, 81, 0.9, Instrument::LEAD},     {2, 0.5, 79, 0.8, Instrument::LEAD},
        {2.5, 0.5, 77, 0.8, Instrument::LEAD}, {3, 1, 74, 0.8, Instrument::LEAD},
        {4, 0.5, 74, 0.8, Instrument::LEAD},   {4.5, 0.5, 77, 0.8, Instrument::LEAD},
        {5, 1, 82, 0.9, Instrument::LEAD},     {6, 1, 81, 0.8, Instrument::LEAD},
        {7, 1, 77, 0.7, Instrument::LEAD},     {8, 0.5, 76, 0.8, Instrument::LEAD},
        {8.5, 0.5, 79, 0.8, Instrument::LEAD}, {9, 1, 84, 0.9, Instrument::LEAD},
        {10, 1, 82, 0.8, Instrument::LEAD},    {11, 1, 79, 0.8, Instrument::LEAD},
        {12, 1.5, 81, 0.9, Instrument::LEAD},  {13.5, 0.5, 79, 0.7, Instrument::LEAD},
        {14, 2, 76, 0.8, Instrument::LEAD},
    };
    for (Note n : riff) {
        n.beat += 16;
        notes.push_back(n);
    }
    return renderLoop(notes, 32, 132);
}

std::vector<SoundRecipe> musicRecipes() {
    return {{"music_menu.wav", menuMusic}, {"music_match.wav", matchMusic}};
}
