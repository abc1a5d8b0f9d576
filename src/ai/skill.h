#pragma once

// AI floor: computer players, input sources that read the world as a player sees it. May use
// match, entities, input and the layers below; no window, no drawing, no files.

#include "match/matchrules.h"

// How well a computer player plays, as numbers only: every difficulty runs the same code with
// its own row of the table (ai/skill.cpp).
struct ComputerSkill {
    const char* name; // "Easy", "Normal", "Hard"
    float aimError;   // world units: the aim point strays up to this far, drawn anew each shot
    float aimErrorPerSpeed; // world units more for each world unit a second the target moves
    float leadFactor;       // the share of a target's motion during the flight it aims ahead
    float reactionTime;     // seconds before it fires at a new target or sees a shell in the air
    float fireInterval;     // seconds at least between two of its shots
    bool waitsForBlink;     // holds its fire while the target cannot be hurt (blinking)
    float dodgeMargin;      // world units it keeps beyond a blast's reach; below 0 it cuts it fine
    float turnInterval;     // seconds at least between two layer turns of its own
    int turnDepth;          // layer turns it plans ahead: 1 or 2
    float planReach;        // world units it would drive across its face to a place to turn from
    int searchBudget;       // path search: cells looked at a tick
    int searchLimit;        // path search: cells looked at in all before it gives a goal up
    int healAt;             // uses a health item at or below this health
};

// The row of `difficulty`.
const ComputerSkill& computerSkill(Difficulty difficulty);
