#pragma once

#include <string>
#include <vector>

// A picture of a sound for a person to read: time left to right, frequency bottom to top on a
// logarithmic scale (30 Hz to half the sample rate, grid lines at 100 Hz, 1 kHz and 10 kHz),
// loudness as brightness (black at -90 dB below full scale, white at 0), with a strip along the
// top showing the level of each moment (RMS, in dB) and a tick every 100 ms.
struct Spectrogram {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb; // rows from the top, 3 bytes a pixel
};

// Of mono samples (-1..1) at `rate`; a stereo file is mixed down by the caller.
Spectrogram makeSpectrogram(const std::vector<float>& samples, int rate);

// False with `error` set when the file cannot be written.
bool writePng(const std::string& path, const Spectrogram& picture, std::string& error);
