#include <gtest/gtest.h>

#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "assetfixtures.h"
#include "sounds.h"
#include "spectrogram.h"
#include "support/childprocess.h"
#include "wavwriter.h"

namespace {

struct Wav {
    std::vector<float> samples; // mono
    int rate = 0;
    int channels = 0;
    int bits = 0;
};

// Read with SDL's reader, as the game's mixer reads them.
Wav readWav(const std::string& path) {
    Wav wav;
    SDL_AudioSpec wavFormat;
    Uint8* buffer = nullptr;
    Uint32 bytes = 0;
    if (!SDL_LoadWAV(path.c_str(), &wavFormat, &buffer, &bytes)) {
        ADD_FAILURE() << path << ": " << SDL_GetError();
        return wav;
    }
    wav.rate = wavFormat.freq;
    wav.channels = wavFormat.channels;
    wav.bits = SDL_AUDIO_BITSIZE(wavFormat.format);
    const auto* pcm = reinterpret_cast<const Sint16*>(buffer);
    for (Uint32 i = 0; i < bytes / 2; i += wavFormat.channels)
        wav.samples.push_back(pcm[i] / 32768.0f);
    SDL_FreeWAV(buffer);
    return wav;
}

Wav shipped(const std::string& file) {
    return readWav(std::string(QUORL_SOURCE_DIR) + "/data/sounds/" + file);
}

double energy(const std::vector<float>& s) {
    double e = 0;
    for (float x : s)
        e += static_cast<double>(x) * x;
    return e;
}

// Seconds from the start until the sound has given all but 1 % of its energy.
double lengthOf(const Wav& w) {
    double total = energy(w.samples), sum = 0;
    for (size_t i = 0; i < w.samples.size(); ++i) {
        sum += static_cast<double>(w.samples[i]) * w.samples[i];
        if (sum >= 0.99 * total)
            return static_cast<double>(i) / w.rate;
    }
    return static_cast<double>(w.samples.size()) / w.rate;
}

// Loud moments: starts of 5 ms windows whose level jumps 10 dB above the window before.
int onsets(const Wav& w) {
    size_t window = static_cast<size_t>(w.rate / 200);
    int count = 0;
    double previous = 1e-12;
    for (size_t at = 0; at + window <= w.samples.size(); at += window) {
        double e = 1e-12;
        for (size_t i = at; i < at + window; ++i)
            e += static_cast<double>(w.samples[i]) * w.samples[i];
        if (e > 8 * previous && e > 1e-3 * static_cast<double>(window))
            ++count;
        previous = e;
    }
    return count;
}

// The part of the energy below about 80 Hz (two one-pole low-passes): how deep it is.
double lowShare(const Wav& w) {
    double a = 1 - std::exp(-2 * M_PI * 80 / w.rate), y1 = 0, y2 = 0, low = 0;
    for (float s : w.samples) {
        y1 += a * (s - y1);
        y2 += a * (y1 - y2);
        low += y2 * y2;
    }
    return low / energy(w.samples);
}

TEST(Sounds, GeneratorReproducesTheCommittedSoundsByteForByte) {
    ScratchDir dir;
    ChildProcess generator(QUORL_SOUNDGEN, {dir.path}, dir.path);
    ASSERT_EQ(generator.waitForExit(60), 0) << generator.output();
    size_t total = 0;
    for (const std::string& file : generatedSoundFiles()) {
        std::string made = readWholeFile(dir.file(file));
        std::string committed = readWholeFile(std::string(QUORL_SOURCE_DIR) + "/data/" + file);
        EXPECT_FALSE(made.empty()) << file;
        EXPECT_TRUE(made == committed) << file << " differs from the generator's output";
        total += committed.size();
    }
    EXPECT_EQ(generatedSoundFiles().size(), 26u);
    EXPECT_LT(total, 3u * 1024 * 1024) << "the sounds stay under 3 MB";
}

// Every file is what the mixer expects, starts and ends at rest (no click when it starts or
// when it is cut off at its end), and carries no offset.
TEST(Sounds, EveryFileIsSixteenBitMonoStartingAndEndingAtRest) {
    for (const std::string& file : generatedSoundFiles()) {
        Wav w = readWav(std::string(QUORL_SOURCE_DIR) + "/data/" + file);
        ASSERT_FALSE(w.samples.empty()) << file;
        EXPECT_EQ(w.rate, SOUND_RATE) << file;
        EXPECT_EQ(w.channels, 1) << file;
        EXPECT_EQ(w.bits, 16) << file;
        float peak = 0;
        double sum = 0;
        for (float s : w.samples) {
            peak = std::max(peak, std::fabs(s));
            sum += s;
        }
        EXPECT_GT(peak, 0.3f) << file << " is audible";
        EXPECT_LT(peak, 1.0f) << file << " never clips";
        EXPECT_LT(std::fabs(sum / static_cast<double>(w.samples.size())), 0.01) << file;
        if (file.find("music_") != std::string::npos)
            continue; // loops: see below
        EXPECT_LT(std::fabs(w.samples.front()), 0.02f) << file;
        EXPECT_LT(std::fabs(w.samples.back()), 0.02f) << file;
    }
}

// Round and round: the step from a loop's last sample to its first is no bigger than the
// steps inside it (a seam would be a click every time the loop comes round).
TEST(Sounds, MusicLoopsHaveNoSeam) {
    for (const char* file : {"music_menu.wav", "music_match.wav"}) {
        Wav w = shipped(file);
        ASSERT_GT(w.samples.size(), 1000u);
        std::vector<float> steps;
        for (size_t i = 1; i < w.samples.size(); ++i)
            steps.push_back(std::fabs(w.samples[i] - w.samples[i - 1]));
        std::sort(steps.begin(), steps.end());
        float typical = steps[steps.size() * 99 / 100];
        EXPECT_LE(std::fabs(w.samples.front() - w.samples.back()), typical) << file;
        double seconds = static_cast<double>(w.samples.size()) / w.rate;
        EXPECT_GT(seconds, 8.0) << file;
        EXPECT_LT(seconds, 20.0) << file;
    }
}

// What a player must tell apart by ear, measured: one pop, three pops, and the nuke's long low
// launch; a shell's blast and the nuke's far bigger one; a brief clang and a long destruction.
TEST(Sounds, ShotsBlastsAndHitsAreToldApart) {
    Wav single = shipped("shot_single.wav"), triple = shipped("shot_triple.wav"),
        nuke = shipped("shot_nuke.wav");
    EXPECT_EQ(onsets(single), 1);
    EXPECT_EQ(onsets(triple), 3);
    EXPECT_GT(lengthOf(nuke), 2 * lengthOf(single));
    EXPECT_GT(lowShare(nuke), 1.5 * lowShare(single));

    Wav small = shipped("blast_small.wav"), big = shipped("blast_nuke.wav");
    EXPECT_GT(energy(big.samples), 3 * energy(small.samples));
    EXPECT_GT(lengthOf(big), 1.8 * lengthOf(small));

    Wav hit = shipped("tank_hit.wav"), destroyed = shipped("tank_destroyed.wav");
    EXPECT_GT(lengthOf(destroyed), 2 * lengthOf(hit));
    EXPECT_GT(energy(destroyed.samples), 3 * energy(hit.samples));

    // The grind lasts one quarter turn of a layer, 18 ticks.
    Wav grind = shipped("layer_grind.wav");
    EXPECT_NEAR(static_cast<double>(grind.samples.size()) / grind.rate, 0.3, 0.001);
}

// The picture follows the pitch: a tone gliding from 200 Hz to 4 kHz draws its brightest row
// higher at every step, where the frequency axis puts those pitches.
TEST(Sounds, SpectrogramTracesARisingTone) {
    const int rate = 22050;
    std::vector<float> sweep(2 * rate);
    double phase = 0;
    for (size_t i = 0; i < sweep.size(); ++i) {
        double t = static_cast<double>(i) / rate / 2;
        phase += 200 * std::pow(20.0, t) / rate;
        sweep[i] = static_cast<float>(0.5 * std::sin(2 * M_PI * phase));
    }
    Spectrogram picture = makeSpectrogram(sweep, rate);
    ASSERT_GT(picture.width, 100);
    const int strip = 60, rows = picture.height - strip;
    auto rowOf = [&](double hz) {
        return rows - 1 -
               static_cast<int>(std::log(hz / 30) / std::log(rate / 2.0 / 30) * (rows - 1));
    };
    int previous = rows;
    for (int column = picture.width / 10; column < picture.width * 9 / 10;
         column += picture.width / 10) {
        int brightest = 0, best = -1;
        for (int row = 0; row < rows; ++row) {
            if (row == rowOf(100) || row == rowOf(1000) || row == rowOf(10000))
                continue; // the grid
            const unsigned char* p =
                &picture.rgb[static_cast<size_t>(((strip + row) * picture.width + column) * 3)];
            int level = p[0] + p[1] + p[2];
            if (level > best) {
                best = level;
                brightest = row;
            }
        }
        double t = static_cast<double>(column) / picture.width;
        EXPECT_NEAR(brightest, rowOf(200 * std::pow(20.0, t)), 8) << "column " << column;
        EXPECT_LT(brightest, previous);
        previous = brightest;
    }
    ScratchDir dir;
    std::string error;
    EXPECT_TRUE(writePng(dir.file("sweep.png"), picture, error)) << error;
    EXPECT_FALSE(writePng(dir.file("no/such/folder.png"), picture, error));
    EXPECT_NE(error.find("no/such/folder.png"), std::string::npos);
    // The tool itself, on a file the game's writer made.
    ASSERT_TRUE(writeWav(dir.file("sweep.wav"), sweep, rate, 1));
    ChildProcess tool(QUORL_SPECTROGRAM, {dir.file("sweep.wav"), dir.file("tool.png")}, dir.path);
    EXPECT_EQ(tool.waitForExit(30), 0) << tool.output();
    EXPECT_GT(readWholeFile(dir.file("tool.png")).size(), 1000u);
}

} // namespace
