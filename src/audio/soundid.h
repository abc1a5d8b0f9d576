#pragma once

// Every effect the game plays, one file of sounds/ each, and the two music loops.
enum class SoundId {
    SHOT_SINGLE,
    SHOT_TRIPLE,
    SHOT_NUKE,
    BLAST_SMALL, // a shell's
    BLAST_NUKE,  // a nuke's or a destroyed tank's
    TANK_HIT,
    TANK_DESTROYED,
    ITEM_PICKUP,
    HEALTH_USED,
    RANDOM_ROTATION,
    LAYER_GRIND, // one quarter turn long (0.3 s)
    LAYER_LOCK,
    PAD_PLUGGED,
    PAD_UNPLUGGED,
    COUNTDOWN_TICK,
    YOU_WIN,
    YOU_LOSE,
    MENU_MOVE,
    MENU_CHOOSE,
    MENU_BACK,
    EDITOR_DRAW,
    EDITOR_DELETE,
    EDITOR_COPY,
    EDITOR_SAVE,
};

constexpr int SOUND_COUNT = 24;

enum class MusicId { MENU, MATCH };

constexpr int MUSIC_COUNT = 2;

// The file under the sounds folder: "shot_single.wav", ...
const char* soundFile(SoundId id);
const char* musicFile(MusicId id);
// The name a trace gives it: "shot-single", ...
const char* soundName(SoundId id);
