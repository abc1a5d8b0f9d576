#pragma once

#include <string>
#include <utility>
#include <vector>

// A JSON value read back from a trace line: enough of JSON for the game's traces (objects,
// arrays, numbers, strings with the common escapes, true, false, null). Reading never fails
// loudly: text that is not JSON gives an invalid value, and looking up a missing field or
// element gives a null one, so that a test's expectations report what is wrong.
class JsonValue {
public:
    enum Type { INVALID, NUL, BOOLEAN, NUMBER, STRING, ARRAY, OBJECT };

    static JsonValue parse(const std::string& text);

    Type type = INVALID;
    bool boolean = false;
    double number = 0;
    std::string string;
    std::vector<JsonValue> elements;                        // ARRAY
    std::vector<std::pair<std::string, JsonValue>> members; // OBJECT, in the text's order

    bool valid() const { return type != INVALID; }
    bool isNull() const { return type == NUL; }
    size_t size() const { return type == ARRAY ? elements.size() : members.size(); }
    const JsonValue& operator[](const std::string& name) const;
    const JsonValue& operator[](size_t index) const;
    // The number, or -1e300 for anything else.
    double num() const { return type == NUMBER ? number : -1e300; }
};
