#include "session/script.h"

#include <GL/freeglut.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "entities/tank.h"
#include "input/padcontrols.h"
#include "match/matchrules.h"
#include "session/numbers.h"
#include "session/options.h"

namespace {

constexpr int MAX_POINTER = 1000000; // pixels either way: the pointer may leave the window

struct NamedKey {
    const char* name;
    int code;
    bool special; // delivered to the special callback rather than as a character
};

// Enter, Escape, Space, Tab, Backspace and Delete reach GLUT programs as characters.
const NamedKey namedKeys[] = {
    {"up", GLUT_KEY_UP, true},
    {"down", GLUT_KEY_DOWN, true},
    {"left", GLUT_KEY_LEFT, true},
    {"right", GLUT_KEY_RIGHT, true},
    {"enter", 13, false},
    {"escape", 27, false},
    {"space", ' ', false},
    {"tab", 9, false},
    {"backspace", 8, false},
    {"delete", 127, false},
    {"insert", GLUT_KEY_INSERT, true},
    {"home", GLUT_KEY_HOME, true},
    {"end", GLUT_KEY_END, true},
    {"pageup", GLUT_KEY_PAGE_UP, true},
    {"pagedown", GLUT_KEY_PAGE_DOWN, true},
    {"hash", '#', false},
};

// The words of a line up to its comment.
std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> result;
    std::string word;
    while (in >> word && word[0] != '#')
        result.push_back(word);
    return result;
}

bool parseDirection(const std::string& word, bool& down) {
    down = word == "down";
    return down || word == "up";
}

bool parseKeyName(const std::string& name, ScriptEvent& event) {
    if (name.size() == 1) {
        event.kind = ScriptEvent::Kind::KEY;
        event.key = static_cast<unsigned char>(name[0]);
        return true;
    }
    for (const NamedKey& named : namedKeys)
        if (name == named.name) {
            event.kind = named.special ? ScriptEvent::Kind::SPECIAL_KEY : ScriptEvent::Kind::KEY;
            event.key = named.code;
            return true;
        }
    int function = 0;
    if (name[0] == 'f' && parseWholeNumber(name.substr(1), 1, 12, function) && name[1] != '0') {
        event.kind = ScriptEvent::Kind::SPECIAL_KEY;
        event.key = GLUT_KEY_F1 + function - 1;
        return true;
    }
    return false;
}

bool parseKey(const std::vector<std::string>& w, ScriptEvent& event, std::string& error) {
    if (w.size() != 4 || !parseDirection(w[3], event.down)) {
        error = "a key event is T key K down|up";
        return false;
    }
    if (!parseKeyName(w[2], event)) {
        error = "unknown key \"" + w[2] +
                "\" (one character, up, down, left, right, enter, "
                "escape, space, tab, backspace, insert, delete, home, end, pageup, pagedown, "
                "hash or f1 to f12)";
        return false;
    }
    return true;
}

bool parsePoint(const std::string& x, const std::string& y, ScriptEvent& event) {
    return parseWholeNumber(x, -MAX_POINTER, MAX_POINTER, event.x) &&
           parseWholeNumber(y, -MAX_POINTER, MAX_POINTER, event.y);
}

bool parseMouse(const std::vector<std::string>& w, ScriptEvent& event, std::string& error) {
    static const char* const buttons[] = {"left", "middle", "right"};
    auto button = std::find_if(std::begin(buttons), std::end(buttons),
                               [&](const char* name) { return w.size() > 2 && w[2] == name; });
    if (w.size() != 6 || button == std::end(buttons) || !parseDirection(w[3], event.down) ||
        !parsePoint(w[4], w[5], event)) {
        error = "a mouse event is T mouse left|middle|right down|up X Y";
        return false;
    }
    event.kind = ScriptEvent::Kind::MOUSE;
    event.button = static_cast<int>(button - std::begin(buttons));
    return true;
}

bool parseMotion(const std::vector<std::string>& w, ScriptEvent& event, std::string& error) {
    if (w.size() != 4 || !parsePoint(w[2], w[3], event)) {
        error = "a motion event is T motion X Y";
        return false;
    }
    event.kind = ScriptEvent::Kind::MOTION;
    return true;
}

bool parsePadValue(const PadControl& control, const std::string& text, float& value,
                   std::string& error) {
    bool ok = parseDecimal(text, value);
    if (control.kind == PadControlKind::STICK && !(ok && value >= -1.0f && value <= 1.0f))
        error = std::string(control.name) + " takes a value from -1 to 1";
    else if (control.kind == PadControlKind::TRIGGER && !(ok && value >= 0.0f && value <= 1.0f))
        error = std::string(control.name) + " takes a value from 0 to 1";
    else if (control.kind == PadControlKind::BUTTON && !(ok && (value == 0.0f || value == 1.0f)))
        error = std::string(control.name) + " takes 0 (released) or 1 (pressed)";
    else
        return true;
    error += ", not \"" + text + "\"";
    return false;
}

bool parsePad(const std::vector<std::string>& w, ScriptEvent& event, std::string& error) {
    if (w.size() < 4 || !parseWholeNumber(w[2], 0, Options::MAX_PADS - 1, event.pad)) {
        error = "a pad event is T pad P CONTROL VALUE, T pad P unplug or T pad P plug, with P "
                "from 0 to " +
                std::to_string(Options::MAX_PADS - 1);
        return false;
    }
    if (w.size() == 4 && (w[3] == "unplug" || w[3] == "plug")) {
        event.kind = w[3] == "plug" ? ScriptEvent::Kind::PAD_PLUG : ScriptEvent::Kind::PAD_UNPLUG;
        return true;
    }
    const PadControl* control = findPadControl(w[3]);
    if (!control) {
        error = "unknown pad control \"" + w[3] + "\"";
        return false;
    }
    if (w.size() != 5) {
        error = std::string("pad control ") + control->name + " needs one value";
        return false;
    }
    event.kind = ScriptEvent::Kind::PAD_CONTROL;
    event.control = control->name;
    return parsePadValue(*control, w[4], event.value, error);
}

bool parseTank(const std::vector<std::string>& w, ScriptEvent& event, std::string& error) {
    // "all" (-1): every tank still in the round, the computers' too.
    bool all = w.size() == 5 && w[2] == "all";
    if (all)
        event.pad = -1;
    if (w.size() != 5 || w[3] != "health" ||
        (!all && !parseWholeNumber(w[2], 0, MAX_PLAYERS - 1, event.pad)) ||
        !parseWholeNumber(w[4], 1, Tank::MAX_HEALTH, event.key)) {
        error = "a tank event is T tank P health H, with the player P from 0 to " +
                std::to_string(MAX_PLAYERS - 1) + " or all, and the health H from 1 to " +
                std::to_string(Tank::MAX_HEALTH);
        return false;
    }
    event.kind = ScriptEvent::Kind::TANK_HEALTH;
    return true;
}

// One non-empty line; false with `error` (without the line number) when malformed.
bool parseEvent(const std::vector<std::string>& w, ScriptEvent& event, std::string& error) {
    if (!parseWholeNumber(w[0], 0, INT_MAX, event.frame)) {
        error = "the line must start with a frame number (0 or more), not \"" + w[0] + "\"";
        return false;
    }
    if (w.size() < 2) {
        error = "an event is missing after the frame";
        return false;
    }
    const std::string& kind = w[1];
    if (kind == "pad")
        return parsePad(w, event, error);
    if (kind == "key")
        return parseKey(w, event, error);
    if (kind == "mouse")
        return parseMouse(w, event, error);
    if (kind == "motion")
        return parseMotion(w, event, error);
    if (kind == "tank")
        return parseTank(w, event, error);
    error = "unknown event \"" + kind + "\" (pad, key, mouse, motion or tank)";
    return false;
}

} // namespace

namespace {

// The next line of `in` without its line break, at most MAX_SCRIPT_LINE bytes. False at the
// end of the input; `tooLong` when the line goes on beyond the limit.
bool boundedLine(std::istream& in, std::string& line, bool& tooLong) {
    line.clear();
    tooLong = false;
    std::streambuf* buffer = in.rdbuf();
    // Invariant: `line` holds the bytes of the line read so far, none of them a line break.
    for (int c = buffer->sbumpc();; c = buffer->sbumpc()) {
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            return !line.empty();
        }
        if (c == '\n')
            return true;
        if (line.size() == MAX_SCRIPT_LINE) {
            tooLong = true;
            return true;
        }
        line.push_back(static_cast<char>(c));
    }
}

} // namespace

bool parseScript(std::istream& in, std::vector<ScriptEvent>& events, std::string& error) {
    events.clear();
    std::string line;
    bool tooLong = false;
    // Invariant: the events of lines 1 .. number are in `events`, in file order.
    for (int number = 1; boundedLine(in, line, tooLong); ++number) {
        if (tooLong || number > MAX_SCRIPT_LINES) {
            error = tooLong ? "line " + std::to_string(number) + ": longer than " +
                                  std::to_string(MAX_SCRIPT_LINE) + " bytes"
                            : "more than " + std::to_string(MAX_SCRIPT_LINES) + " lines";
            events.clear();
            return false;
        }
        std::vector<std::string> w = words(line);
        if (w.empty())
            continue;
        ScriptEvent event;
        event.line = number;
        if (!parseEvent(w, event, error)) {
            error = "line " + std::to_string(number) + ": " + error;
            events.clear();
            return false;
        }
        events.push_back(event);
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.frame < b.frame; });
    return true;
}

bool loadScript(const std::string& path, std::vector<ScriptEvent>& events, std::string& error) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        error = "cannot read the script " + path + ": it is a folder";
        return false;
    }
    std::ifstream in(path);
    if (!in) {
        error = "cannot read the script " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!parseScript(in, events, error)) {
        error = path + ": " + error;
        return false;
    }
    if (in.bad()) {
        error = "cannot read the script " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

int scriptKeyModifiers(const ScriptEvent& event) {
    if (event.kind != ScriptEvent::Kind::KEY)
        return 0;
    static const char shifted[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ~!@#$%^&*()_+{}|:\"<>?";
    return event.key != 0 && std::strchr(shifted, event.key) ? GLUT_ACTIVE_SHIFT : 0;
}
