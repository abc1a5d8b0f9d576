// Draws a WAV file's spectrogram:  quorl_spectrogram <sound.wav> <picture.png>
#include <SDL.h>
#include <cstdio>
#include <string>
#include <vector>

#include "spectrogram.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <sound.wav> <picture.png>\n", argv[0]);
        return 2;
    }
    SDL_AudioSpec wavFormat;
    Uint8* buffer = nullptr;
    Uint32 bytes = 0;
    if (!SDL_LoadWAV(argv[1], &wavFormat, &buffer, &bytes)) {
        std::fprintf(stderr, "quorl_spectrogram: %s: %s\n", argv[1], SDL_GetError());
        return 1;
    }
    if (wavFormat.format != AUDIO_S16LSB || wavFormat.channels < 1) {
        SDL_FreeWAV(buffer);
        std::fprintf(stderr, "quorl_spectrogram: %s: not 16-bit PCM\n", argv[1]);
        return 1;
    }
    // Mixed down to one channel.
    size_t frames = bytes / 2 / wavFormat.channels;
    std::vector<float> samples(frames);
    const auto* pcm = reinterpret_cast<const Sint16*>(buffer);
    for (size_t i = 0; i < frames; ++i) {
        float sum = 0;
        for (int c = 0; c < wavFormat.channels; ++c)
            sum += pcm[i * wavFormat.channels + static_cast<size_t>(c)] / 32768.0f;
        samples[i] = sum / wavFormat.channels;
    }
    SDL_FreeWAV(buffer);
    std::string error;
    if (!writePng(argv[2], makeSpectrogram(samples, wavFormat.freq), error)) {
        std::fprintf(stderr, "quorl_spectrogram: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
