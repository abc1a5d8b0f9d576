#pragma once

#include <vector>

#include "audio/soundid.h"

// One sound asked for: what, and which view heard it loudest (-1: no view, a menu's sound).
struct StartedSound {
    SoundId sound;
    int view;
};

// What was started this frame, for the trace: every sound asked for, heard or not (a muted or
// silent game records the same as a loud one, so a trace does not depend on the machine's
// sound). The owner calls beginFrame at the start of each frame. Owns nothing but its list.
class SoundRecorder {
public:
    void beginFrame() { sounds.clear(); }
    void record(SoundId sound, int view) { sounds.push_back({sound, view}); }
    const std::vector<StartedSound>& started() const { return sounds; }

private:
    std::vector<StartedSound> sounds; // in the order they were asked for
};
