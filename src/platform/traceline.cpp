#include "platform/traceline.h"

#include <cassert>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "math/text.h"

namespace {

// A JSON string: quotes, backslashes and control characters escaped, every byte that is not
// part of well-formed UTF-8 replaced by U+FFFD, so that a name made of any bytes (a level file's
// name is whatever the file system allows) still gives a line every JSON reader accepts.
void appendQuoted(std::string& out, const std::string& text) {
    out += '"';
    // Invariant: text[0, i) is written, escaped or replaced.
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i];
        unsigned char byte = static_cast<unsigned char>(c);
        std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out.append(text, i, length);
        }
        i += length;
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
