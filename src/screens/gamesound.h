#pragma once

// Screens floor: the shell that routes the window's events, and the screens. May use view,
// match, input, platform, audio and the layers below; no SDL.

#include <string>
#include <vector>

#include "audio/soundid.h"
#include "audio/soundrecorder.h"

class AudioDevice;
class InputSource;

// The game's sound and rumble as the screens reach them. The device belongs to main, which
// opens it and hands it over with useGameAudio; without one (tests, tools) every call here is
// silent and only the frame's record is kept, so a screen never needs to ask.
void useGameAudio(AudioDevice* device);
AudioDevice* gameAudio(); // may be null

// A sound as a view heard it: `gain` 0..1, `pan` -1 left .. 1 right, `view` the player whose
// view heard it loudest (-1 none).
void playHeardSound(SoundId sound, float gain, float pan, int view);
// A sound of the interface (menus, the editor, pads, the countdown, the match's result): heard
// from the middle at full loudness, by no view.
void playInterfaceSound(SoundId sound);
// The loop for the screen now current; a change fades over AudioDevice::FADE_MS.
void playGameMusic(MusicId music);

// Whether pads shake at all (--no-rumble, the settings' rumble row). On by default.
void setRumbleEnabled(bool enabled);
bool rumbleEnabled();
// Asks `source` to shake with `strength` (0..1) for `ms` milliseconds, when rumble is on. The
// ask is recorded under the source's name for the frame's trace whether or not the pad can
// shake; a source that never shakes (the keyboard, a computer player) is neither asked nor
// recorded.
void rumbleSource(InputSource& source, float strength, unsigned ms);
// The sources asked to shake in this frame, in the order asked.
const std::vector<std::string>& rumbledThisFrame();

// The sounds started in this frame (with or without a device), for the trace.
const SoundRecorder& soundsThisFrame();

// A frame begins: the record of sounds started and pads shaken starts empty.
void beginSoundFrame();
