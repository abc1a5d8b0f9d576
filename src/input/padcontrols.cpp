#include "input/padcontrols.h"

const PadControl PAD_CONTROLS[PAD_CONTROL_COUNT] = {
    {"leftx", PadControlKind::STICK, 0},
    {"lefty", PadControlKind::STICK, 1},
    {"rightx", PadControlKind::STICK, 2},
    {"righty", PadControlKind::STICK, 3},
    {"lefttrigger", PadControlKind::TRIGGER, 4},
    {"righttrigger", PadControlKind::TRIGGER, 5},
    {"a", PadControlKind::BUTTON, 0},
    {"b", PadControlKind::BUTTON, 1},
    {"x", PadControlKind::BUTTON, 2},
    {"y", PadControlKind::BUTTON, 3},
    {"back", PadControlKind::BUTTON, 4},
    {"guide", PadControlKind::BUTTON, 5},
    {"start", PadControlKind::BUTTON, 6},
    {"leftstick", PadControlKind::BUTTON, 7},
    {"rightstick", PadControlKind::BUTTON, 8},
    {"leftshoulder", PadControlKind::BUTTON, 9},
    {"rightshoulder", PadControlKind::BUTTON, 10},
    {"dpup", PadControlKind::BUTTON, 11},
    {"dpdown", PadControlKind::BUTTON, 12},
    {"dpleft", PadControlKind::BUTTON, 13},
    {"dpright", PadControlKind::BUTTON, 14},
};

const PadControl* findPadControl(const std::string& name) {
    for (const PadControl& control : PAD_CONTROLS)
        if (name == control.name)
            return &control;
    return nullptr;
}
