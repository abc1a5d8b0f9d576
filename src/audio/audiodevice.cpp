#include "audio/audiodevice.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/hearing.h"
#include "audio/pcmconvert.h"

namespace {

// Channels 0 and 1 hold the two music loops (reserved: an effect never takes them); the
// effects share the rest as one group.
constexpr int MUSIC_CHANNELS = MUSIC_COUNT;
constexpr int EFFECTS_GROUP = 1;

std::string off(const std::string& reason) {
    return "Sound: off (" + (reason.empty() ? std::string("unknown error") : reason) + ")";
}

std::string describe(int frequency, Uint16 format, int channels) {
    std::string layout = channels == 1   ? "mono"
                         : channels == 2 ? "stereo"
                                         : std::to_string(channels) + " channels";
    std::string bits = std::to_string(SDL_AUDIO_BITSIZE(format)) + "-bit";
    if (SDL_AUDIO_ISFLOAT(format))
        bits += " float";
    return "Sound: " + std::to_string(frequency) + " Hz, " + layout + ", " + bits;
}

bool readable(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

} // namespace

AudioDevice::~AudioDevice() {
    close();
}

std::string AudioDevice::open(bool muted) {
    close();
    if (muted)
        return "Sound: off (muted)";
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return off(SDL_GetError());
    audioSubsystem = true;
    // No changes allowed: SDL converts to whatever the hardware takes, so what we mix is what
    // we asked for.
    if (Mix_OpenAudioDevice(RATE, AUDIO_S16SYS, 2, BUFFER_FRAMES, nullptr, 0) != 0) {
        std::string reason = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystem = false;
        return off(reason);
    }
    opened = true;
    Mix_AllocateChannels(MUSIC_CHANNELS + EFFECT_CHANNELS);
    Mix_ReserveChannels(MUSIC_CHANNELS);
    Mix_GroupChannels(MUSIC_CHANNELS, MUSIC_CHANNELS + EFFECT_CHANNELS - 1, EFFECTS_GROUP);
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    deviceRate = frequency;
    return describe(frequency, format, channels);
}

void AudioDevice::close() {
    if (opened) {
        Mix_HaltChannel(-1);
        freeSounds();
        Mix_CloseAudio();
        opened = false;
    }
    if (audioSubsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystem = false;
    }
    current = -1;
}

void AudioDevice::freeSounds() {
    for (Mix_Chunk*& chunk : sounds) {
        Mix_FreeChunk(chunk);
        chunk = nullptr;
    }
    for (Mix_Chunk*& chunk : loops) {
        Mix_FreeChunk(chunk);
        chunk = nullptr;
    }
    for (std::vector<int16_t>& samples : converted)
        std::vector<int16_t>().swap(samples);
}

// 16-bit sound at the device's rate or half of it (all of the game's) is converted here, in a
// few milliseconds; anything else goes through SDL_mixer's own conversion.
Mix_Chunk* AudioDevice::loadChunk(const std::string& path, std::vector<int16_t>& store,
                                  std::string& error) {
    SDL_AudioSpec wavFormat;
    Uint8* buffer = nullptr;
    Uint32 bytes = 0;
    if (!SDL_LoadWAV(path.c_str(), &wavFormat, &buffer, &bytes)) {
        error = path + ": " + SDL_GetError();
        return nullptr;
    }
    int factor =
        wavFormat.freq > 0 && deviceRate % wavFormat.freq == 0 ? deviceRate / wavFormat.freq : 0;
    if (wavFormat.format == AUDIO_S16SYS && factor >= 1 && factor <= 2 &&
        (wavFormat.channels == 1 || wavFormat.channels == 2)) {
        size_t frames = bytes / (2u * wavFormat.channels);
        store =
            toStereo(reinterpret_cast<const int16_t*>(buffer), frames, wavFormat.channels, factor);
        SDL_FreeWAV(buffer);
        Mix_Chunk* chunk = Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(store.data()),
                                             static_cast<Uint32>(store.size() * 2));
        if (!chunk)
            error = path + ": " + Mix_GetError();
        return chunk;
    }
    SDL_FreeWAV(buffer);
    Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
    if (!chunk)
        error = path + ": " + Mix_GetError();
    return chunk;
}

bool AudioDevice::load(const std::string& folder, std::string& error) {
    if (opened) {
        Mix_HaltChannel(-1);
        current = -1;
        freeSounds();
    }
    auto fetch = [&](const char* file, Mix_Chunk*& into, int slot) {
        std::string path = folder + "/" + file;
        if (!opened) {
            if (readable(path))
                return true;
            error = path + ": cannot be read";
            return false;
        }
        into = loadChunk(path, converted[slot], error);
        return into != nullptr;
    };
    for (int i = 0; i < SOUND_COUNT; ++i)
        if (!fetch(soundFile(static_cast<SoundId>(i)), sounds[i], i)) {
            freeSounds();
            return false;
        }
    for (int i = 0; i < MUSIC_COUNT; ++i)
        if (!fetch(musicFile(static_cast<MusicId>(i)), loops[i], SOUND_COUNT + i)) {
            freeSounds();
            return false;
        }
    applyMusicVolume();
    return true;
}

int AudioDevice::effectVolume(float gain) const {
    float g = std::clamp(gain, 0.0f, 1.0f) * static_cast<float>(effects) / 10;
    return static_cast<int>(std::lround(g * MIX_MAX_VOLUME));
}

void AudioDevice::play(SoundId sound, float gain, float pan, int view) {
    recorder.record(sound, view);
    Mix_Chunk* chunk = sounds[static_cast<int>(sound)];
    int volume = effectVolume(gain);
    if (!opened || !chunk || volume <= 0)
        return;
    int channel = Mix_GroupAvailable(EFFECTS_GROUP);
    if (channel < 0) {
        channel = Mix_GroupOldest(EFFECTS_GROUP);
        if (channel < 0)
            return;
        Mix_HaltChannel(channel);
    }
    // Volume and pan are set on the idle channel before it starts, so the first buffer
    // already has them.
    Mix_Volume(channel, volume);
    float left = 0, right = 0;
    panGains(pan, left, right);
    Mix_SetPanning(channel, static_cast<Uint8>(std::lround(left * 255)),
                   static_cast<Uint8>(std::lround(right * 255)));
    channelGain[channel - MUSIC_CHANNELS] = std::clamp(gain, 0.0f, 1.0f);
    Mix_PlayChannel(channel, chunk, 0);
}

void AudioDevice::playMusic(MusicId id) {
    int next = static_cast<int>(id);
    if (!opened || !loops[next])
        return;
    if (current == next && Mix_Playing(next))
        return;
    if (current >= 0 && current != next)
        Mix_FadeOutChannel(current, FADE_MS);
    Mix_FadeInChannel(next, loops[next], -1, FADE_MS);
    current = next;
}

void AudioDevice::stopMusic() {
    if (opened && current >= 0)
        Mix_FadeOutChannel(current, FADE_MS);
    current = -1;
}

void AudioDevice::setMusicIntensity(float value) {
    intensity = std::clamp(value, 0.0f, 1.0f);
    applyMusicVolume();
}

void AudioDevice::setEffectsVolume(int volume) {
    effects = std::clamp(volume, 0, 10);
    if (!opened)
        return;
    for (int i = 0; i < EFFECT_CHANNELS; ++i)
        if (Mix_Playing(MUSIC_CHANNELS + i))
            Mix_Volume(MUSIC_CHANNELS + i, effectVolume(channelGain[i]));
}

void AudioDevice::setMusicVolume(int volume) {
    music = std::clamp(volume, 0, 10);
    applyMusicVolume();
}

// The loops' own volume carries the music volume; the channels' volume is left to the fades.
void AudioDevice::applyMusicVolume() {
    if (!opened)
        return;
    float menu = static_cast<float>(music) / 10;
    float match = menu * (CALM_MUSIC + (1 - CALM_MUSIC) * intensity);
    if (loops[0])
        Mix_VolumeChunk(loops[0], static_cast<int>(std::lround(menu * MIX_MAX_VOLUME)));
    if (loops[1])
        Mix_VolumeChunk(loops[1], static_cast<int>(std::lround(match * MIX_MAX_VOLUME)));
}
