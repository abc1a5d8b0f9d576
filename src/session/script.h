#pragma once

// Session floor: scripted play: options, scripts, traces and the play session. May use screens
// and everything below them.

#include <istream>
#include <string>
#include <vector>

// One input event of a scripted run, applied before the frame it names runs.
struct ScriptEvent {
    enum class Kind {
        PAD_CONTROL, // a stick, trigger or button of a virtual pad takes `value`
        PAD_UNPLUG,
        PAD_PLUG,
        KEY,         // a character key, `key` as the keyboard callback delivers it
        SPECIAL_KEY, // a GLUT special key, `key` a GLUT_KEY_ code
        MOUSE,       // `button` (GLUT 0 left, 1 middle, 2 right) pressed or released at x, y
        MOTION,      // the pointer moves to x, y with a button held
        TANK_HEALTH, // player `pad`'s tank of the running match is left with `key` points
    };

    int frame = 0; // frame number, from 0 at start-up
    int line = 0;  // line of the script it came from, from 1
    Kind kind = Kind::KEY;
    int pad = 0;         // pad events: the virtual pad, from 0; TANK_HEALTH: the player, -1 for all
    std::string control; // PAD_CONTROL: leftx, a, dpup, ...
    float value = 0.0f;  // PAD_CONTROL: -1..1 for sticks, 0..1 for triggers, 0 or 1 for buttons
    int key = 0;         // KEY, SPECIAL_KEY: the key; TANK_HEALTH: the points
    bool down = false;   // KEY, SPECIAL_KEY, MOUSE: pressed (true) or released
    int button = 0;
    int x = 0, y = 0; // MOUSE, MOTION: window pixels, origin top-left
};

// A script is read whole before the run starts; these bound what it may hold, so that a file
// that is not a script (one without line breaks, a device that never ends) is refused instead
// of taking the memory.
constexpr size_t MAX_SCRIPT_LINE = 1000;  // bytes of one line, without its line break
constexpr int MAX_SCRIPT_LINES = 1000000; // lines of a file

// Reads a timeline, one event a line; '#' at the start of a word starts a comment, and blank
// lines are skipped. The forms, with T the frame:
//     T pad P CONTROL VALUE      T pad P unplug      T pad P plug
//     T key K down|up            T mouse left|middle|right down|up X Y      T motion X Y
//     T tank P health H          (sets a match up: player P's tank keeps H of its 1..10 points)
//     T tank all health H        (every tank still in the round, computer tanks too, keeps H;
//                                 none when no match runs)
// K is one character (as typed: 'A' is Shift+a) or one of up down left right enter escape
// space tab backspace insert delete home end pageup pagedown f1 .. f12, or hash for '#' (which
// would start a comment). The events come out
// ordered by frame, those of one frame in the order of the file. False, with `error` saying
// "line N: " and what is wrong, at the first malformed line or one longer than
// MAX_SCRIPT_LINE, or when the file has more than MAX_SCRIPT_LINES lines.
bool parseScript(std::istream& in, std::vector<ScriptEvent>& events, std::string& error);

// parseScript on a file; false, with `error` saying why, when it cannot be read.
bool loadScript(const std::string& path, std::vector<ScriptEvent>& events, std::string& error);

// The GLUT modifier bits a keyboard would report with this key: Shift for capital letters.
int scriptKeyModifiers(const ScriptEvent& event);
