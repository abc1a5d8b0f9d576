#include "ai/skill.h"

namespace {

// A shell's blast reaches about 5.7 units either way, so an aim error of 9 misses about half
// the time and one of 1 never does. Rows in Difficulty's order.
const ComputerSkill SKILLS[3] = {
    // name     aim  +/speed lead react fire  blink  dodge  turn depth reach budget limit heal
    {"Easy", 7.0f, 0.5f, 0.3f, 0.9f, 4.0f, false, -3.0f, 9.0f, 2, 40.0f, 150, 1500, 3},
    {"Normal", 3.5f, 0.8f, 0.5f, 0.5f, 1.5f, false, 0.0f, 3.0f, 2, 90.0f, 300, 6000, 4},
    {"Hard", 0.5f, 0.05f, 1.0f, 0.12f, 0.6f, true, 1.5f, 1.0f, 2, 200.0f, 500, 20000, 7},
};

} // namespace

const ComputerSkill& computerSkill(Difficulty difficulty) {
    switch (difficulty) {
    case Difficulty::EASY:
        return SKILLS[0];
    case Difficulty::HARD:
        return SKILLS[2];
    case Difficulty::NORMAL:
        break;
    }
    return SKILLS[1];
}
