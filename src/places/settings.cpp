#include "places/settings.h"

#include <cassert>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ini.h>

const std::vector<SettingKey>& Settings::keys() {
    // key, screen row, value names, low, high, default, step
    static const std::vector<SettingKey> table = {
        {"fullscreen", "Full screen", {"off", "on"}, 0, 1, 0, 1},
        {"window_width", nullptr, {}, 1, 16384, 800, 1},
        {"window_height", nullptr, {}, 1, 16384, 600, 1},
        {"multisample", "Antialiasing (next start)", {"auto", "on", "off"}, 0, 2, 0, 1},
        {"effects_volume", "Effects volume", {}, 0, 10, 10, 1},
        {"music_volume", "Music volume", {}, 0, 10, 7, 1},
        {"rumble", "Rumble", {"off", "on"}, 0, 1, 1, 1},
        // The last match setup, changed on the level list rather than the Settings rows.
        {"computer_tanks", nullptr, {}, 0, 6, 0, 1},
        {"difficulty", nullptr, {"easy", "normal", "hard"}, 0, 2, 1, 1},
        {"rounds_to_win", nullptr, {}, 1, 9, 1, 1},
    };
    return table;
}

size_t Settings::indexOf(const char* key) {
    const std::vector<SettingKey>& table = keys();
    for (size_t i = 0; i < table.size(); ++i)
        if (std::strcmp(table[i].key, key) == 0)
            return i;
    assert(!"a setting of that key");
    return 0;
}

const std::vector<TextSettingKey>& Settings::textKeys() {
    // key, most bytes
    static const std::vector<TextSettingKey> table = {
        // The address the welcome screen's Join last joined, offered again there.
        {"join_address", 64},
    };
    return table;
}

namespace {

size_t textIndexOf(const char* key) {
    const std::vector<TextSettingKey>& table = Settings::textKeys();
    for (size_t i = 0; i < table.size(); ++i)
        if (std::strcmp(table[i].key, key) == 0)
            return i;
    assert(!"a text setting of that key");
    return 0;
}

} // namespace

bool Settings::keepsText(const TextSettingKey& key, const std::string& value) {
    // After "key = " a ';' would begin a comment.
    if (value.size() > key.maxLength || (!value.empty() && value[0] == ';'))
        return false;
    for (char c : value)
        if (c <= ' ' || c > '~')
            return false;
    return true;
}

Settings::Settings() : texts(textKeys().size()) {
    for (const SettingKey& key : keys())
        values.push_back(key.fallback);
}

const std::string& Settings::textValue(const char* key) const {
    return texts.at(textIndexOf(key));
}

bool Settings::setTextValue(const char* key, const std::string& value) {
    size_t index = textIndexOf(key);
    if (!keepsText(textKeys()[index], value))
        return false;
    texts[index] = value;
    return true;
}

void Settings::set(size_t index, int value) {
    const SettingKey& key = keys().at(index);
    assert(value >= key.low && value <= key.high);
    values[index] = value;
}

void Settings::change(size_t index, int direction) {
    const SettingKey& key = keys().at(index);
    int span = key.high - key.low + 1;
    int& value = values.at(index);
    if (!key.names.empty())
        value = key.low + ((value - key.low + direction) % span + span) % span;
    else
        value = std::max(key.low, std::min(key.high, value + direction * key.step));
}

std::string Settings::valueText(size_t index) const {
    const SettingKey& key = keys().at(index);
    int value = values.at(index);
    return key.names.empty() ? std::to_string(value) : key.names[static_cast<size_t>(value)];
}

namespace {

// A value of `key` from its text: a name, or for two names also the usual words for off and
// on; a number, in decimal without anything after it. False when it is neither or out of range.
bool parseValue(const SettingKey& key, const char* text, int& value) {
    if (!key.names.empty()) {
        for (size_t i = 0; i < key.names.size(); ++i)
            if (std::strcmp(text, key.names[i]) == 0) {
                value = key.low + static_cast<int>(i);
                return true;
            }
        if (key.names.size() == 2) {
            for (const char* no : {"false", "no", "0"})
                if (std::strcmp(text, no) == 0)
                    return (value = 0), true;
            for (const char* yes : {"true", "yes", "1"})
                if (std::strcmp(text, yes) == 0)
                    return (value = 1), true;
        }
        return false;
    }
    if (*text == '\0')
        return false;
    errno = 0;
    char* end = nullptr;
    long long number = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || number < key.low || number > key.high)
        return false;
    value = static_cast<int>(number);
    return true;
}

// At most 40 bytes of `text`, anything but plain ASCII shown as "?": for a message.
std::string printable(const std::string& text) {
    std::string out = text.substr(0, 40);
    for (char& c : out)
        if (c < ' ' || c > '~')
            c = '?';
    return out;
}

struct Reading {
    Settings* settings;
    const char* rest; // the text still to read
    const char* end;
    int lines = 0;      // handed to inih so far, as it counts them
    std::string reason; // why the first value was refused,
    int reasonLine = 0; // and on which line
};

// Notes the first value refused, and refuses it.
int refuse(Reading* reading, const char* name, const char* text) {
    if (reading->reason.empty()) {
        reading->reason =
            printable(name) + " = \"" + printable(text) + "\" is not a value it takes";
        reading->reasonLine = reading->lines;
    }
    return 0;
}

int onValue(void* user, const char* section, const char* name, const char* text) {
    auto* reading = static_cast<Reading*>(user);
    if (section[0] != '\0')
        return 1; // another version's section: not ours to judge
    const std::vector<SettingKey>& keys = Settings::keys();
    for (size_t i = 0; i < keys.size(); ++i) {
        if (std::strcmp(keys[i].key, name) != 0)
            continue;
        int value = 0;
        if (!parseValue(keys[i], text, value))
            return refuse(reading, name, text);
        reading->settings->set(i, value);
        return 1;
    }
    for (const TextSettingKey& key : Settings::textKeys())
        if (std::strcmp(key.key, name) == 0)
            return reading->settings->setTextValue(key.key, text) ? 1 : refuse(reading, name, text);
    return 1; // a key a later version may have written
}

// inih's line reader over the text in memory, fgets-like: up to `size` - 1 bytes, through the
// next line break. A NUL byte in the text ends that line for inih, and reading goes on after it.
char* nextLine(char* buffer, int size, void* user) {
    auto* reading = static_cast<Reading*>(user);
    if (reading->rest >= reading->end || size < 2)
        return nullptr;
    int n = 0;
    // Invariant: buffer[0, n) holds the bytes taken, none of them a line break but the last.
    while (n < size - 1 && reading->rest < reading->end) {
        char c = *reading->rest++;
        buffer[n++] = c;
        if (c == '\n')
            break;
    }
    buffer[n] = '\0';
    ++reading->lines;
    return buffer;
}

} // namespace

bool Settings::read(const std::string& text, int& line, std::string& reason) {
    Reading reading{this, text.data(), text.data() + text.size(), 0, "", 0};
    // The reader and the handler share `reading`: inih hands both the same pointer.
    line = ini_parse_stream(nextLine, &reading, onValue, &reading);
    if (line == 0)
        return true;
    if (line == reading.reasonLine)
        reason = reading.reason;
    else
        reason = "not a \"key = value\" line";
    return false;
}

std::string Settings::text() const {
    std::string out = "# Quorl's settings, rewritten when they are changed in the game.\n";
    for (size_t i = 0; i < keys().size(); ++i)
        out += std::string(keys()[i].key) + " = " + valueText(i) + "\n";
    // An empty value leaves no blank at the end of its line.
    for (size_t i = 0; i < textKeys().size(); ++i)
        out += std::string(textKeys()[i].key) + (texts[i].empty() ? " =" : " = ") + texts[i] + "\n";
    return out;
}
