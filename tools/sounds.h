#pragma once

#include <string>
#include <vector>

#include "synth.h"

// The game's sounds, made from code: each recipe gives the samples of one file of
// data/sounds/. Effects are mono; the two music loops are mono too, made to loop without a
// seam (what rings on past a loop's end is folded back into its start).

constexpr int SOUND_RATE = 22050; // samples a second of every file: enough for what they hold,
                                  // and the files stay small

struct SoundRecipe {
    const char* file;         // under sounds/
    synth::Samples (*make)(); // mono samples at SOUND_RATE, -1..1
};

// The effects, one recipe a file.
std::vector<SoundRecipe> effectRecipes();
// The menu's and the match's music loops.
std::vector<SoundRecipe> musicRecipes();

synth::Samples menuMusic();
synth::Samples matchMusic();

// Writes every sound under `dataDirectory`/sounds/ (which must exist). The same bytes every
// run. False with `error` set when a file cannot be written.
bool generateSounds(const std::string& dataDirectory, std::string& error);

// The files generateSounds writes, relative to the data directory.
std::vector<std::string> generatedSoundFiles();
