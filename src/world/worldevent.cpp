#include "world/worldevent.h"

const char* worldEventName(WorldEventKind kind) {
    switch (kind) {
    case WorldEventKind::SHELL_FIRED:
        return "shell-fired";
    case WorldEventKind::TRIPLE_FIRED:
        return "triple-fired";
    case WorldEventKind::NUKE_FIRED:
        return "nuke-fired";
    case WorldEventKind::BLAST:
        return "blast";
    case WorldEventKind::TANK_HIT:
        return "tank-hit";
    case WorldEventKind::TANK_DESTROYED:
        return "tank-destroyed";
    case WorldEventKind::ITEM_PICKED_UP:
        return "item-picked-up";
    case WorldEventKind::HEALTH_USED:
        return "health-used";
    case WorldEventKind::RANDOM_ROTATION:
        return "random-rotation";
    case WorldEventKind::LAYER_TURN_STARTED:
        return "layer-turn-started";
    case WorldEventKind::LAYER_TURN_LOCKED:
        return "layer-turn-locked";
    }
    return "unknown";
}
