#pragma once

#include "math/vectors.h"

class Object;

// Something a player should hear or feel: what happened, where, and (where it matters) to whom
// and how big. The world and its entities only report these; what they sound like is the
// application's business, so the simulation stays silent and the same with or without sound.
enum class WorldEventKind {
    SHELL_FIRED,        // one ordinary shell; object: the tank
    TRIPLE_FIRED,       // a fan of three shells, one event for the three; object: the tank
    NUKE_FIRED,         // object: the tank
    BLAST,              // an explosion starts; size: the radius it swells to (8 shell, 20 nuke)
    TANK_HIT,           // a hit the tank survives; object: the tank
    TANK_DESTROYED,     // the hit that took its last point; object: the tank
    ITEM_PICKED_UP,     // at the item box; object: the tank that took it
    HEALTH_USED,        // object: the tank
    RANDOM_ROTATION,    // a random-rotation item used; object: the tank
    LAYER_TURN_STARTED, // at the middle of the turning slab, face -1 (the whole cube grinds)
    LAYER_TURN_LOCKED,  // the turn ends, where it started
};

constexpr int WORLD_EVENT_KIND_COUNT = 11;

// One happening. A plain value: `object` is for telling whose it was (a tank's pad, its view)
// and may already be gone from the world when the event is read; compare it, never follow it
// into a removed shell or explosion.
struct WorldEvent {
    WorldEventKind kind;
    Vec3f position;                 // world units
    int face = -1;                  // 0..5, the face it happened on; -1 for the cube as a whole
    const Object* object = nullptr; // the tank it concerns, if any
    float size = 0;                 // BLAST only, world units
};

// The kind's name, as a trace or a test prints it: "shell-fired", "blast", ...
const char* worldEventName(WorldEventKind kind);
