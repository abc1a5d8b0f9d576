#include <cmath>

#include "sounds.h"

using namespace synth;

namespace {

constexpr double RATE = SOUND_RATE;

// `seconds` of samples from f(t), t in seconds.
template <class F> Samples render(double seconds, F f) {
    Samples out(static_cast<size_t>(seconds * RATE));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<float>(f(static_cast<double>(i) / RATE));
    return out;
}

// The last step of every effect: no offset, no click at either end, a set peak.
Samples finish(Samples s, double peak) {
    removeDc(s);
    fadeEnds(s, RATE, 0.001, 0.01);
    normalize(s, peak);
    return s;
}

// One note of several: its last part fades out, so that cutting it off where its samples end
// makes no click over the notes after it.
Samples note(Samples s) {
    fadeEnds(s, RATE, 0.0005, static_cast<double>(s.size()) / RATE * 0.4);
    return s;
}

// A falling tone with a crack of noise on top: the heart of every shot. `pitch` is where the
// tone starts (Hz); it falls to a quarter of it.
Samples pop(double pitch, double length, double decay, uint32_t seed) {
    Oscillator body;
    Noise noise(seed);
    HighPass crackFilter;
    LowPass puffFilter;
    return render(length, [&](double t) {
        double tone =
            body.sine(glide(t, 0.12, pitch, pitch / 4), RATE) * attackDecay(t, 0.002, 0.07);
        double n = noise.white();
        double crack = crackFilter(n, 2500, RATE) * attackDecay(t, 0.0005, 0.012);
        double puff = puffFilter(n, 1400, RATE) * attackDecay(t, 0.003, decay * 0.7);
        return 0.9 * tone + 0.7 * crack + 0.9 * puff;
    });
}

Samples shotSingle() {
    return finish(pop(240, 0.4, 0.07, 11), 0.8);
}

// Three shorter, higher pops rising in pitch, each heard on its own: a rattle where the single
// shot is one thump.
Samples shotTriple() {
    Samples out;
    const double pitches[] = {330, 415, 520};
    for (int i = 0; i < 3; ++i)
        mixInto(out, note(pop(pitches[i], 0.3, 0.03, 21 + i)), static_cast<size_t>(i * 0.09 * RATE),
                0.85 + 0.05 * i);
    return finish(out, 0.8);
}

// A deep launch with a rising whoosh behind it: heavier and longer than any shell.
Samples shotNuke() {
    Oscillator boom, sub;
    Noise noise(31);
    BandPass whooshFilter;
    return finish(render(1.1,
                         [&](double t) {
                             double f = glide(t, 0.35, 120, 32);
                             double low = (boom.sine(f, RATE) + 0.35 * sub.saw(f / 2, RATE)) *
                                          attackDecay(t, 0.004, 0.3);
                             double whoosh =
                                 whooshFilter(noise.white(), glide(t, 0.8, 250, 2600), 2.5, RATE) *
                                 adsr(t, 0.55, 0.25, 0.3, 0.6, 0.15);
                             double crack = noise.white() * attackDecay(t, 0.001, 0.02);
                             return low + 0.9 * whoosh + 0.4 * crack;
                         }),
                  0.9);
}

// Noise whose brightness falls as it fades, over a thump; crackle of sparks on top.
Samples blast(double length, double decay, double thumpPitch, double brightness, uint32_t seed) {
    Noise noise(seed);
    LowPass roar, rumble;
    Oscillator thump;
    double crackle = 0;
    return render(length, [&](double t) {
        double n = noise.white();
        double body =
            roar(n, glide(t, decay * 2.5, brightness, 150), RATE) * attackDecay(t, 0.004, decay);
        double deep = rumble(n, 120, RATE) * 4 * attackDecay(t, 0.02, decay * 1.6);
        double low = thump.sine(glide(t, 0.25, thumpPitch, thumpPitch / 2.5), RATE) *
                     attackDecay(t, 0.003, decay * 0.5);
        if (noise.uniform(0, 1) < 0.004 * std::exp(-t / (decay * 1.5)))
            crackle = noise.uniform(0.3, 1); // a spark pops
        crackle *= 0.93;
        return 1.3 * body + deep + 1.1 * low + 0.5 * crackle * noise.white();
    });
}

Samples blastSmall() {
    Samples s = blast(1.0, 0.18, 110, 4500, 41);
    softClip(s, 1.5);
    fadeEnds(s, RATE, 0, 0.3); // the roar dies away rather than stops
    return finish(s, 0.6);     // well below the nuke's, which fills the scale
}

// The nuke's: twice the length and far more low end, pushed into saturation.
Samples blastNuke() {
    Samples s = blast(2.6, 0.55, 70, 3000, 43);
    Noise noise(44);
    LowPass wobble;
    Samples tail = render(2.6, [&](double t) {
        // A slow rolling rumble that outlasts the roar.
        return wobble(noise.white(), 90, RATE) * 6 * (0.6 + 0.4 * std::sin(2 * PI * 3.5 * t)) *
               attackDecay(t, 0.15, 0.8);
    });
    mixInto(s, tail, 0, 0.8);
    normalize(s, 1.0);
    softClip(s, 2.2);
    fadeEnds(s, RATE, 0, 0.8);
    return finish(s, 0.98);
}

// Struck armour: a few inharmonic partials that ring briefly after a knock.
Samples tankHit() {
    const double partials[][3] = {
        {523, 0.22, 1.0}, {1311, 0.14, 0.7}, {2077, 0.09, 0.5}, {2950, 0.05, 0.35}};
    Oscillator osc[4];
    Noise noise(51);
    LowPass knockFilter;
    return finish(render(0.55,
                         [&](double t) {
                             double v = 0;
                             for (int i = 0; i < 4; ++i)
                                 v +=
                                     partials[i][2] *
                                     osc[i].sine(partials[i][0] * glide(t, 0.3, 1.03, 0.98), RATE) *
                                     attackDecay(t, 0.001, partials[i][1]);
                             double knock = knockFilter(noise.white(), 900, RATE) * 3 *
                                            attackDecay(t, 0.001, 0.03);
                             return 0.6 * v + knock;
                         }),
                  0.85);
}

// Crunch, a groan of metal falling in pitch, and debris rattling after it.
Samples tankDestroyed() {
    Noise noise(61);
    BandPass crunchFilter, debrisFilter;
    LowPass groanFilter;
    Oscillator groan, groan2, ring[3];
    const double rings[] = {410, 1090, 1730};
    double rattle = 0;
    Samples s = render(1.8, [&](double t) {
        double n = noise.white();
        double crunch = crunchFilter(n, 700, 1.5, RATE) * 2 * attackDecay(t, 0.002, 0.25);
        double f = glide(t, 1.3, 130, 38);
        double g = groanFilter(groan.saw(f, RATE) + groan2.saw(f * 1.013, RATE), 600, RATE) *
                   adsr(t, 0.9, 0.05, 0.5, 0.6, 0.3);
        double metal = 0;
        for (int i = 0; i < 3; ++i)
            metal += ring[i].sine(rings[i] * glide(t, 1.0, 1.0, 0.6), RATE) *
                     attackDecay(t, 0.002, 0.35 - 0.08 * i);
        if (t > 0.25 && noise.uniform(0, 1) < 0.002 * std::exp(-(t - 0.25) / 0.6))
            rattle = noise.uniform(0.5, 1);
        rattle *= 0.985;
        double debris = debrisFilter(n * rattle, 3200, 4, RATE) * 3;
        return crunch + 0.8 * g + 0.45 * metal + debris;
    });
    softClip(s, 1.6);
    fadeEnds(s, RATE, 0, 0.4); // the wreck settles rather than stops
    return finish(s, 0.95);
}

// A run of notes, each `step` seconds after the last, of the voice `voice(t, frequency)`.
template <class V>
Samples arpeggio(const std::vector<int>& notes, double step, double length, V voice) {
    Samples out;
    for (size_t i = 0; i < notes.size(); ++i) {
        double f = noteFrequency(notes[i]);
        mixInto(out, note(render(length, [&](double t) { return voice(t, f); })),
                static_cast<size_t>(static_cast<double>(i) * step * RATE));
    }
    return out;
}

// A bright rising arpeggio: something gained.
Samples itemPickup() {
    Samples s = arpeggio({84, 88, 91, 96}, 0.055, 0.16, [](double t, double f) {
        Oscillator o;
        o.phase = std::fmod(t * f, 1.0);
        return o.square(f, RATE, 0.25) * 0.5 * attackDecay(t, 0.002, 0.05);
    });
    return finish(s, 0.6);
}

// A warm tone gliding up an octave with a shimmer, a fifth joining it.
Samples healthUsed() {
    Oscillator a, b, c;
    return finish(render(0.75,
                         [&](double t) {
                             double f = glide(t, 0.35, 440, 880);
                             double shimmer = 1 + 0.25 * std::sin(2 * PI * 9 * t);
                             double v = (a.sine(f, RATE) + 0.3 * b.triangle(f * 2, RATE)) *
                                        adsr(t, 0.4, 0.04, 0.2, 0.7, 0.15);
                             double fifth =
                                 c.sine(f * 1.5, RATE) * adsr(t - 0.15, 0.25, 0.05, 0.2, 0.6, 0.15);
                             return (v + 0.6 * fifth) * shimmer;
                         }),
                  0.65);
}

// A wobbling, swirling tone that goes round and round: the cube about to turn by itself.
Samples randomRotation() {
    Oscillator tone;
    Noise noise(71);
    BandPass swirl;
    Samples s = render(0.9, [&](double t) {
        double f = 520 * glide(t, 0.45, 0.8, 1.4) + 180 * std::sin(2 * PI * 8 * t);
        double v = tone.triangle(f, RATE) * adsr(t, 0.65, 0.03, 0.3, 0.8, 0.1);
        double centre = 1200 + 900 * std::sin(2 * PI * 3 * t);
        double air = swirl(noise.white(), centre, 6, RATE) * adsr(t, 0.7, 0.1, 0.3, 0.8, 0.08);
        return 0.6 * v + 0.8 * air;
    });
    return finish(s, 0.7);
}

// One quarter turn of a layer (0.3 s, the turn's length): ratcheting stone on stone.
Samples layerGrind() {
    Noise noise(81);
    BandPass grit;
    LowPass bodyFilter;
    Oscillator ratchet, hum;
    Samples s = render(0.3, [&](double t) {
        // The teeth pass fastest mid-turn, as the layer swings through it.
        double rate = 30 + 18 * std::sin(PI * t / 0.3);
        double teeth = std::fabs(ratchet.saw(rate, RATE));
        double g = grit(noise.white(), 750, 1.5, RATE) * (0.35 + 0.65 * teeth);
        double body = bodyFilter(hum.saw(55, RATE), 400, RATE);
        return g + 0.5 * body;
    });
    removeDc(s);
    fadeEnds(s, RATE, 0.02, 0.03);
    normalize(s, 0.6);
    return s;
}

// The layer falling into place: a sharp click over a short knock.
Samples layerLock() {
    Noise noise(91);
    HighPass clickFilter;
    Oscillator ping, thunk;
    return finish(render(0.15,
                         [&](double t) {
                             double click = clickFilter(noise.white(), 3000, RATE) *
                                            attackDecay(t, 0.0003, 0.004);
                             double p = ping.sine(1800, RATE) * attackDecay(t, 0.0005, 0.012);
                             double k = thunk.sine(glide(t, 0.05, 160, 90), RATE) *
                                        attackDecay(t, 0.001, 0.035);
                             return click + 0.5 * p + 0.9 * k;
                         }),
                  0.75);
}

// A soft two-note bell, up for a pad coming, down for one going.
Samples twoNotes(int first, int second, double brightness) {
    Samples s = arpeggio({first, second}, 0.11, 0.2, [brightness](double t, double f) {
        Oscillator a, b;
        a.phase = std::fmod(t * f, 1.0);
        b.phase = std::fmod(t * f * 2, 1.0);
        return (a.sine(f, RATE) + brightness * b.triangle(f * 2, RATE)) *
               attackDecay(t, 0.003, 0.07);
    });
    return finish(s, 0.6);
}

Samples padPlugged() {
    return twoNotes(76, 83, 0.35);
}

Samples padUnplugged() {
    return twoNotes(83, 76, 0.1);
}

// One of the countdown's last seconds.
Samples countdownTick() {
    Oscillator a, b;
    return finish(render(0.15,
                         [&](double t) {
                             return (a.sine(880, RATE) + 0.15 * b.square(880, RATE)) *
                                    attackDecay(t, 0.002, 0.045);
                         }),
                  0.6);
}

// A brassy voice: two slightly detuned saws through a filter that opens with the note.
double brass(double t, double f, double held, Oscillator& a, Oscillator& b, LowPass& filter) {
    double vibrato = 1 + 0.006 * std::sin(2 * PI * 5.5 * t) * std::min(t / 0.3, 1.0);
    double v = a.saw(f * vibrato, RATE) + b.saw(f * vibrato * 1.004, RATE);
    double env = adsr(t, held, 0.02, 0.15, 0.75, 0.12);
    return filter(v, 600 + 3500 * env, RATE) * env * 0.5;
}

Samples youWin() {
    const int notes[] = {72, 76, 79, 84};
    const double starts[] = {0, 0.12, 0.24, 0.36};
    const double held[] = {0.1, 0.1, 0.1, 0.8};
    Samples out;
    for (int i = 0; i < 4; ++i) {
        Oscillator a, b;
        LowPass filter;
        double f = noteFrequency(notes[i]);
        mixInto(out,
                note(render(held[i] + 0.5,
                            [&](double t) { return brass(t, f, held[i], a, b, filter); })),
                static_cast<size_t>(starts[i] * RATE));
    }
    fadeEnds(out, RATE, 0, 0.25); // the last note dies away
    return finish(out, 0.8);
}

// Down a minor triad, the last note sagging.
Samples youLose() {
    const int notes[] = {67, 63, 60};
    const double starts[] = {0, 0.28, 0.56};
    const double held[] = {0.22, 0.22, 0.7};
    Samples out;
    for (int i = 0; i < 3; ++i) {
        Oscillator o;
        LowPass filter;
        double f = noteFrequency(notes[i]);
        bool last = i == 2;
        Samples rendered = render(held[i] + 0.3, [&](double t) {
            double bend = last ? glide(t, 0.7, 1.0, 0.94) : 1.0;
            double v = o.triangle(f * bend * (1 + 0.01 * std::sin(2 * PI * 4 * t)), RATE);
            return filter(v, 1500, RATE) * adsr(t, held[i], 0.02, 0.2, 0.7, 0.15);
        });
        mixInto(out, note(rendered), static_cast<size_t>(starts[i] * RATE));
    }
    fadeEnds(out, RATE, 0, 0.25);
    return finish(out, 0.75);
}

Samples menuMove() {
    Oscillator a;
    return finish(
        render(0.06, [&](double t) { return a.sine(1250, RATE) * attackDecay(t, 0.001, 0.014); }),
        0.5);
}

Samples blips(double first, double second, double peak) {
    Samples out;
    const double pitches[] = {first, second};
    for (int i = 0; i < 2; ++i) {
        Oscillator o;
        Samples rendered = render(0.1, [&](double t) {
            return (o.sine(pitches[i], RATE) + 0.2 * std::sin(4 * PI * pitches[i] * t)) *
                   attackDecay(t, 0.002, 0.03);
        });
        mixInto(out, note(rendered), static_cast<size_t>(i * 0.06 * RATE));
    }
    return finish(out, peak);
}

Samples menuChoose() {
    return blips(660, 990, 0.6);
}

Samples menuBack() {
    return blips(990, 660, 0.5);
}

// A plucked string: a triangle whose brightness dies faster than its body.
Samples pluck(double f, double length) {
    Oscillator o;
    LowPass filter;
    return render(length, [&](double t) {
        return filter(o.triangle(f, RATE), 400 + 5000 * std::exp(-t / 0.03), RATE) *
               attackDecay(t, 0.001, 0.05);
    });
}

Samples editorDraw() {
    return finish(pluck(523, 0.12), 0.55);
}

// A quick falling zip: something taken away.
Samples editorDelete() {
    Oscillator o;
    LowPass filter;
    return finish(render(0.18,
                         [&](double t) {
                             return filter(o.saw(glide(t, 0.15, 800, 150), RATE), 2500, RATE) *
                                    attackDecay(t, 0.003, 0.06);
                         }),
                  0.5);
}

Samples editorCopy() {
    Samples out = note(pluck(523, 0.15));
    mixInto(out, note(pluck(784, 0.15)), static_cast<size_t>(0.07 * RATE));
    return finish(out, 0.55);
}

// A small bell: a struck tone with the inharmonic partial bells have.
Samples editorSave() {
    Samples out;
    const double notes[] = {784, 1175};
    for (int i = 0; i < 2; ++i) {
        Oscillator a, b;
        double f = notes[i];
        Samples rendered = render(0.35, [&](double t) {
            return (a.sine(f, RATE) + 0.4 * b.sine(f * 2.76, RATE) * std::exp(-t / 0.05)) *
                   attackDecay(t, 0.002, 0.12);
        });
        mixInto(out, note(rendered), static_cast<size_t>(i * 0.1 * RATE));
    }
    return finish(out, 0.6);
}

} // namespace

std::vector<SoundRecipe> effectRecipes() {
    return {
        {"shot_single.wav", shotSingle},
        {"shot_triple.wav", shotTriple},
        {"shot_nuke.wav", shotNuke},
        {"blast_small.wav", blastSmall},
        {"blast_nuke.wav", blastNuke},
        {"tank_hit.wav", tankHit},
        {"tank_destroyed.wav", tankDestroyed},
        {"item_pickup.wav", itemPickup},
        {"health_used.wav", healthUsed},
        {"random_rotation.wav", randomRotation},
        {"layer_grind.wav", layerGrind},
        {"layer_lock.wav", layerLock},
        {"pad_plugged.wav", padPlugged},
        {"pad_unplugged.wav", padUnplugged},
        {"countdown_tick.wav", countdownTick},
        {"you_win.wav", youWin},
        {"you_lose.wav", youLose},
        {"menu_move.wav", menuMove},
        {"menu_choose.wav", menuChoose},
        {"menu_back.wav", menuBack},
        {"editor_draw.wav", editorDraw},
        {"editor_delete.wav", editorDelete},
        {"editor_copy.wav", editorCopy},
        {"editor_save.wav", editorSave},
    };
}
