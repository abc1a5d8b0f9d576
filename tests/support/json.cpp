#include "support/json.h"

#include <cstdlib>
#include <cstring>

namespace {

const JsonValue& nullValue() {
    static JsonValue value = [] {
        JsonValue v;
        v.type = JsonValue::NUL;
        return v;
    }();
    return value;
}

// A recursive-descent reader over one text; `ok` drops to false at the first thing it does not
// understand.
struct Reader {
    const std::string& text;
    size_t at = 0;
    bool ok = true;

    void skipSpace() {
        while (at < text.size() && std::strchr(" \t\r\n", text[at]))
            ++at;
    }
    bool take(char c) {
        skipSpace();
        if (at < text.size() && text[at] == c) {
            ++at;
            return true;
        }
        return false;
    }
    bool word(const char* w) {
        size_t n = std::strlen(w);
        if (text.compare(at, n, w) != 0)
            return false;
        at += n;
        return true;
    }
    std::string readString() {
        std::string out;
        // Invariant: `out` holds the characters before `at`, escapes resolved.
        while (at < text.size() && text[at] != '"') {
            char c = text[at++];
            if (c == '\\' && at < text.size()) {
                char e = text[at++];
                if (e == 'u' && at + 4 <= text.size()) {
                    out += static_cast<char>(std::strtol(text.substr(at, 4).c_str(), nullptr, 16));
                    at += 4;
                } else {
                    out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                }
            } else {
                out += c;
            }
        }
        ok = ok && take('"');
        return out;
    }
    JsonValue value(int depth) {
        JsonValue v;
        skipSpace();
        if (depth > 64 || at >= text.size()) {
            ok = false;
        } else if (take('{')) {
            v.type = JsonValue::OBJECT;
            while (ok && !take('}')) {
                if (!v.members.empty())
                    ok = ok && take(',');
                ok = ok && take('"');
                std::string name = readString();
                ok = ok && take(':');
                if (ok)
                    v.members.emplace_back(name, value(depth + 1));
            }
        } else if (take('[')) {
            v.type = JsonValue::ARRAY;
            while (ok && !take(']')) {
                if (!v.elements.empty())
                    ok = ok && take(',');
                if (ok)
                    v.elements.push_back(value(depth + 1));
            }
        } else if (take('"')) {
            v.type = JsonValue::STRING;
            v.string = readString();
        } else if (word("true") || word("false")) {
            v.type = JsonValue::BOOLEAN;
            v.boolean = text[at - 1] == 'e' && text[at - 2] == 'u';
        } else if (word("null")) {
            v.type = JsonValue::NUL;
        } else {
            char* end = nullptr;
            v.number = std::strtod(text.c_str() + at, &end);
            ok = end != text.c_str() + at;
            at = static_cast<size_t>(end - text.c_str());
            v.type = JsonValue::NUMBER;
        }
        return v;
    }
};

} // namespace

JsonValue JsonValue::parse(const std::string& text) {
    Reader reader{text};
    JsonValue v = reader.value(0);
    reader.skipSpace();
    if (!reader.ok || reader.at != text.size())
        return JsonValue();
    return v;
}

const JsonValue& JsonValue::operator[](const std::string& name) const {
    for (const auto& member : members)
        if (member.first == name)
            return member.second;
    return nullValue();
}

const JsonValue& JsonValue::operator[](size_t index) const {
    return type == ARRAY && index < elements.size() ? elements[index] : nullValue();
}
