#include "platform/traceline.h"

#include <cassert>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace {

// A JSON string: quotes, backslashes and control characters escaped; other bytes as they are.
void appendQuoted(std::string& out, const std::string& text) {
    out += '"';
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
}

} // namespace

TraceLine::TraceLine() : out("{"), open{'}'} {}

void TraceLine::key(const char* name) {
    // Objects need names and arrays take none.
    assert((open.back() == '}') == (name != nullptr));
    if (!first)
        out += ',';
    first = false;
    if (name) {
        appendQuoted(out, name);
        out += ':';
    }
}

void TraceLine::add(const char* name, int value) {
    key(name);
    out += std::to_string(value);
}

void TraceLine::addNull(const char* name) {
    key(name);
    out += "null";
}

void TraceLine::add(const char* name, double value) {
    key(name);
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char number[32];
    std::snprintf(number, sizeof number, "%.9g", value);
    out += number;
}

void TraceLine::add(const char* name, bool value) {
    key(name);
    out += value ? "true" : "false";
}

void TraceLine::add(const char* name, const std::string& value) {
    key(name);
    appendQuoted(out, value);
}

void TraceLine::add(const char* name, const char* value) {
    add(name, std::string(value ? value : ""));
}

void TraceLine::beginObject(const char* name) {
    key(name);
    out += '{';
    open.push_back('}');
    first = true;
}

void TraceLine::beginArray(const char* name) {
    key(name);
    out += '[';
    open.push_back(']');
    first = true;
}

void TraceLine::end() {
    assert(open.size() > 1 && "the line's own object closes in text()");
    out += open.back();
    open.pop_back();
    first = false;
}

std::string TraceLine::text() const {
    std::string closed = out;
    for (auto bracket = open.rbegin(); bracket != open.rend(); ++bracket)
        closed += *bracket;
    return closed;
}
