#include "audio/soundid.h"

namespace {

struct Names {
    const char* file;
    const char* name;
};

// In the order of SoundId.
const Names SOUNDS[SOUND_COUNT] = {
    {"shot_single.wav", "shot-single"},
    {"shot_triple.wav", "shot-triple"},
    {"shot_nuke.wav", "shot-nuke"},
    {"blast_small.wav", "blast-small"},
    {"blast_nuke.wav", "blast-nuke"},
    {"tank_hit.wav", "tank-hit"},
    {"tank_destroyed.wav", "tank-destroyed"},
    {"item_pickup.wav", "item-pickup"},
    {"health_used.wav", "health-used"},
    {"random_rotation.wav", "random-rotation"},
    {"layer_grind.wav", "layer-grind"},
    {"layer_lock.wav", "layer-lock"},
    {"pad_plugged.wav", "pad-plugged"},
    {"pad_unplugged.wav", "pad-unplugged"},
    {"countdown_tick.wav", "countdown-tick"},
    {"you_win.wav", "you-win"},
    {"you_lose.wav", "you-lose"},
    {"menu_move.wav", "menu-move"},
    {"menu_choose.wav", "menu-choose"},
    {"menu_back.wav", "menu-back"},
    {"editor_draw.wav", "editor-draw"},
    {"editor_delete.wav", "editor-delete"},
    {"editor_copy.wav", "editor-copy"},
    {"editor_save.wav", "editor-save"},
};

const char* const MUSIC[MUSIC_COUNT] = {"music_menu.wav", "music_match.wav"};

} // namespace

const char* soundFile(SoundId id) {
    return SOUNDS[static_cast<int>(id)].file;
}

const char* soundName(SoundId id) {
    return SOUNDS[static_cast<int>(id)].name;
}

const char* musicFile(MusicId id) {
    return MUSIC[static_cast<int>(id)];
}
