#pragma once

// Session floor: scripted play: options, scripts, traces and the play session. May use screens
// and everything below them.

#include <string>

#include "places/settings.h"
#include "session/options.h"

class AudioDevice;
class TraceLine;

// Opens `device` (unless --mute), loads the sounds of the data folder (the working folder's
// sounds/), sets the volumes and rumble from the settings with what the command line gives
// instead, and hands the device to the screens. Returns the one start-up line: "Sound: 44100
// Hz, stereo, 16-bit" or "Sound: off (why)". A sound file that is missing or unreadable leaves
// the game silent, never ended: it plays the same without sound.
std::string startGameSound(const Options& options, const Settings& settings, AudioDevice& device);

// The frame's `sounds` (each started sound's name and the player whose view heard it loudest,
// -1 for none) and `rumble` (the names of the pads asked to shake), each only when not empty.
void addSoundTraceFields(TraceLine& line);
