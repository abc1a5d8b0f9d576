#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/soundid.h"
#include "audio/soundrecorder.h"

struct Mix_Chunk;

// The game's sound: opens the system's audio output through SDL_mixer, holds every effect and
// the two music loops in memory, and starts them. The only code that speaks to SDL_mixer.
//
// Whatever goes wrong (no device, no driver, a failed open) the game runs silent: open says
// why, and every call after it does nothing but record what was asked for. It never exits.
// Runs on the game's thread; SDL mixes on its own audio thread. Owns the chunks and the open
// device until close or destruction. One at a time: SDL_mixer's device is global.
class AudioDevice {
public:
    static constexpr int RATE = 44100;         // sample frames a second
    static constexpr int BUFFER_FRAMES = 512;  // about 12 ms: a sound is out within two buffers
    static constexpr int EFFECT_CHANNELS = 32; // six players' shots, blasts, hits and turns at
                                               // once; past that the oldest effect gives way
    static constexpr int FADE_MS = 400;        // the music's change between menus and match
    // The match music's loudness (part of the music volume) with many tanks left; it rises to
    // the full music volume as setMusicIntensity goes to 1 (one tank against one).
    static constexpr float CALM_MUSIC = 0.7f;

    AudioDevice() = default;
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // Opens the default output at 44100 Hz, stereo, 16-bit, 512-frame buffers, unless `muted`.
    // Returns the start-up line: "Sound: 44100 Hz, stereo, 16-bit" (what the device took), or
    // "Sound: off (the reason)". Opening again closes first.
    std::string open(bool muted);
    bool isOpen() const { return opened; }
    // Stops everything, frees the sounds and closes the output. Nothing when not open.
    void close();

    // Loads every effect and both music loops from `folder` (the sounds/ of the data folder).
    // While silent it only checks that every file is there and readable. False with `error`
    // naming the file (and why) when one is missing or unreadable: a missing asset, the
    // caller's to report; nothing stays loaded then.
    bool load(const std::string& folder, std::string& error);

    // Starts an effect at `gain` (0..1, before the effects volume) and `pan` (-1 left .. 1
    // right), recorded as heard by `view`. Under 20 us on the game's thread.
    void play(SoundId sound, float gain, float pan, int view = -1);

    // Changes to the loop with a cross-fade of FADE_MS; the loop already playing goes on.
    void playMusic(MusicId music);
    void stopMusic();
    // 0 (many tanks left) .. 1 (one against one): the match music rises with it.
    void setMusicIntensity(float intensity);

    // 0 (silent) .. 10 (full); values outside are clamped. The effects volume also reaches the
    // effects already playing.
    void setEffectsVolume(int volume);
    void setMusicVolume(int volume);
    int effectsVolume() const { return effects; }
    int musicVolume() const { return music; }

    SoundRecorder recorder;

private:
    void freeSounds();
    Mix_Chunk* loadChunk(const std::string& path, std::vector<int16_t>& store, std::string& error);
    void applyMusicVolume();
    int effectVolume(float gain) const; // SDL_mixer's 0..128

    bool opened = false;
    bool audioSubsystem = false; // ours to quit
    Mix_Chunk* sounds[SOUND_COUNT] = {};
    Mix_Chunk* loops[MUSIC_COUNT] = {};
    // The samples of the chunks converted here, in the device's format; a chunk only points at
    // them (empty for a chunk SDL_mixer converted and owns).
    std::vector<int16_t> converted[SOUND_COUNT + MUSIC_COUNT];
    int deviceRate = 0;
    float channelGain[EFFECT_CHANNELS] = {}; // the gain each effect channel last started with
    int current = -1;                        // MusicId playing, or -1
    int effects = 10;
    int music = 10;
    float intensity = 0;
};
