#include "session/soundsetup.h"

#include "audio/audiodevice.h"
#include "platform/traceline.h"
#include "screens/gamesound.h"

std::string startGameSound(const Options& options, const Settings& settings, AudioDevice& device) {
    std::string line = device.open(options.mute);
    std::string error;
    if (!device.load("sounds", error)) {
        device.close();
        line = "Sound: off (" + error + ")";
    }
    device.setEffectsVolume(options.effectsVolume >= 0 ? options.effectsVolume
                                                       : settings.get("effects_volume"));
    device.setMusicVolume(options.musicVolume >= 0 ? options.musicVolume
                                                   : settings.get("music_volume"));
    setRumbleEnabled(!options.noRumble && settings.get("rumble") != 0);
    useGameAudio(&device);
    return line;
}

// Most frames start nothing: their lines stay as they were.
void addSoundTraceFields(TraceLine& line) {
    if (!soundsThisFrame().started().empty()) {
        line.beginArray("sounds");
        for (const StartedSound& sound : soundsThisFrame().started()) {
            line.beginObject();
            line.add("name", soundName(sound.sound));
            line.add("view", sound.view);
            line.end();
        }
        line.end();
    }
    if (!rumbledThisFrame().empty()) {
        line.beginArray("rumble");
        for (const std::string& pad : rumbledThisFrame())
            line.add(nullptr, pad);
        line.end();
    }
}
