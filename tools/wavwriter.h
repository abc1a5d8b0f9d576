#pragma once

#include <string>
#include <vector>

// 16-bit PCM WAV files, as SDL and SDL_mixer read them.

// The file's bytes: a RIFF header (44 bytes) and `samples` (-1..1, interleaved when `channels`
// is 2) rounded to 16 bits; values beyond -1..1 are clipped.
std::vector<unsigned char> wavBytes(const std::vector<float>& samples, int rate, int channels);

// Writes them to `path`; false when the file cannot be written.
bool writeWav(const std::string& path, const std::vector<float>& samples, int rate, int channels);
