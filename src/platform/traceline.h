#pragma once

// Platform floor: the window system and the machine, below every screen. May use math, GLUT,
// OpenGL, X11 and libpng.

#include <string>
#include <vector>

// One JSON object written on one line, field by field, with nested objects and arrays:
//
//     TraceLine line;
//     line.add("tick", 12);
//     line.beginArray("players");
//     line.beginObject();
//     line.add("health", 10);
//     line.end();
//     line.end();
//     line.text(); // {"tick":12,"players":[{"health":10}]}
//
// Inside an array values take no name (pass nullptr). Numbers that JSON cannot hold (NaN,
// infinities) are written as null; strings are escaped.
class TraceLine {
public:
    TraceLine();

    void add(const char* name, int value);
    void add(const char* name, double value);
    void add(const char* name, bool value);
    void add(const char* name, const std::string& value);
    void add(const char* name, const char* value);
    void addNull(const char* name);
    void beginObject(const char* name = nullptr);
    void beginArray(const char* name = nullptr);
    void end(); // closes the innermost open object or array

    // The line so far with every open object and array closed, without a line break.
    std::string text() const;

private:
    void key(const char* name);

    std::string out;
    std::vector<char> open; // closing brackets of the open objects and arrays, innermost last
    bool first = true;      // nothing written yet in the innermost object or array
};
