#include "screens/gamesound.h"

#include "audio/audiodevice.h"
#include "input/inputsource.h"

namespace {

AudioDevice* device = nullptr; // not owned
// Kept here, not in the device, so that a run without a device still traces what it asked for.
SoundRecorder silentRecorder;
bool rumbleOn = true;
std::vector<std::string> rumbled;

} // namespace

void useGameAudio(AudioDevice* next) {
    device = next;
}

AudioDevice* gameAudio() {
    return device;
}

void playHeardSound(SoundId sound, float gain, float pan, int view) {
    if (device)
        device->play(sound, gain, pan, view);
    else
        silentRecorder.record(sound, view);
}

void playInterfaceSound(SoundId sound) {
    playHeardSound(sound, 1.0f, 0.0f, -1);
}

void playGameMusic(MusicId music) {
    if (device)
        device->playMusic(music);
}

void setRumbleEnabled(bool enabled) {
    rumbleOn = enabled;
}

bool rumbleEnabled() {
    return rumbleOn;
}

void rumbleSource(InputSource& source, float strength, unsigned ms) {
    if (!rumbleOn || !source.canRumble())
        return;
    rumbled.push_back(source.name());
    source.rumble(strength, ms);
}

const std::vector<std::string>& rumbledThisFrame() {
    return rumbled;
}

void beginSoundFrame() {
    if (device)
        device->recorder.beginFrame();
    silentRecorder.beginFrame();
    rumbled.clear();
}

const SoundRecorder& soundsThisFrame() {
    return device ? device->recorder : silentRecorder;
}
