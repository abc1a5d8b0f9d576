#pragma once

// Places floor: where the game's files are on this machine: its data folder, the player's own
// folders, the settings file. May use the standard library and inih; no window, no game code.

#include <string>
#include <vector>

// One setting that lasts from run to run: its key in the file, its range and default, and its
// row on the Settings screen. A value is a whole number; a setting with names takes only the
// values 0 .. names - 1 and reads and writes them by name.
struct SettingKey {
    const char* key;                // in the settings file
    const char* label;              // the Settings screen's row; null for one only the file sets
    std::vector<const char*> names; // the values' names in order; empty for a plain number
    int low, high;                  // the range, inclusive
    int fallback;                   // the default
    int step;                       // what left and right change a number by on the screen
};

// One setting whose value is a line of text (an address typed in a menu). Its default is empty.
// Only what the file gives back unchanged is kept: printable ASCII without blanks, not starting
// with ';' (the reader trims blanks and takes " ;" for a comment), at most `maxLength` bytes.
struct TextSettingKey {
    const char* key;  // in the settings file, after the numbers
    size_t maxLength; // bytes
};

// The settings of a player, every key with a value in its range. Owns its values; the tables
// of keys are shared and fixed.
class Settings {
public:
    // Value names of the choices, as the table gives them.
    enum Multisample { MULTISAMPLE_AUTO = 0, MULTISAMPLE_ON = 1, MULTISAMPLE_OFF = 2 };

    // Every setting, in the file's and the screen's order. Adding a setting is adding a line
    // here (settings.cpp).
    static const std::vector<SettingKey>& keys();
    // The index of `key` in keys(); asserts that there is one.
    static size_t indexOf(const char* key);
    // The settings that are lines of text, written after keys()'s.
    static const std::vector<TextSettingKey>& textKeys();
    // Whether `value` can be the value of the text setting `key`.
    static bool keepsText(const TextSettingKey& key, const std::string& value);

    Settings(); // every setting at its default

    int get(const char* key) const { return values[indexOf(key)]; }
    int at(size_t index) const { return values.at(index); }
    // Asserts that `value` is in the key's range.
    void set(size_t index, int value);
    // One step of the screen's left (-1) or right (+1): a named value goes round its names, a
    // number moves by its step and stops at the ends.
    void change(size_t index, int direction);
    // The value as the file and the screen write it: its name, or the number.
    std::string valueText(size_t index) const;
    // The text setting `key` (of textKeys(); asserts that there is one).
    const std::string& textValue(const char* key) const;
    // False, leaving it as it was, for a value the setting does not keep (keepsText).
    bool setTextValue(const char* key, const std::string& value);

    // Reads `key = value` lines (INI, no section), from `text`. A key it does not know is
    // skipped (a later version may have written it); a value out of range or of the wrong kind
    // leaves that key at what it was. False, with `line` the first line (from 1) that could not
    // be read and `reason` why, when anything was left out.
    bool read(const std::string& text, int& line, std::string& reason);
    // The whole file: a comment, then one `key = value` line per setting.
    std::string text() const;

    bool operator==(const Settings& other) const {
        return values == other.values && texts == other.texts;
    }
    bool operator!=(const Settings& other) const { return !(*this == other); }

private:
    std::vector<int> values;        // one per key, in table order
    std::vector<std::string> texts; // one per text key, in table order
};

// Reads the settings at `path` into `settings` (which keeps its defaults for what the file
// does not give). A missing file is no problem; an unreadable one, or one with lines that
// cannot be read, leaves `warning` one line naming the file and the first bad line.
void loadSettings(const std::string& path, Settings& settings, std::string& warning);

// Writes the settings whole: to a temporary file in the same folder (created if needed),
// flushed to the disk and renamed over `path`, so a crash leaves the old file or the new one.
// False, with `error` saying why, when the file was not replaced.
bool saveSettings(const std::string& path, const Settings& settings, std::string& error);
