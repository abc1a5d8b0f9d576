#pragma once

// Replay floor: matches kept as their inputs: the record's format, its reader and writer, the
// state hash, replaying and the headless verifier. May use match and the layers below; no
// window, no drawing.

#include <string>

class Match;

// A change made to a running match from outside its seats' controls: the game screen's
// developer keys and a script's set-up lines. A record keeps them with the tick they came
// before, so that a replay makes them at the same moment; this is the one place that makes
// them, live or replayed.
struct MatchEdit {
    enum class Kind {
        SET_HEALTH,         // seat `seat`'s tank keeps `value` health points (1..10)
        GIVE_ITEMS,         // every tank with a free slot gets an item of kind `value` (0..4)
        ADD_TEST_OBSTACLES, // the six test rocks at their places round the cube
    };
    static constexpr int KIND_COUNT = 3;

    Kind kind = Kind::GIVE_ITEMS;
    int seat = 0;
    int value = 0;
};

// Makes the edit in the match's current world. False, with `error` saying why and nothing
// changed, when it cannot be made: no such seat, a tank already destroyed, a value out of range.
bool applyMatchEdit(Match& match, const MatchEdit& edit, std::string& error);
