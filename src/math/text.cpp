#include "math/text.h"

#include <cassert>
#include <cstdio>

std::size_t utf8SequenceLength(const std::string& text, std::size_t at) {
    assert(at < text.size());
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    std::size_t length;
    unsigned int codePoint;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        codePoint = lead & 0x1fu;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        codePoint = lead & 0x0fu;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        codePoint = lead & 0x07u;
    } else {
        return 0; // a continuation byte, an overlong two-byte lead (c0, c1) or beyond f4
    }
    if (text.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xc0u) != 0x80u)
            return 0;
        codePoint = (codePoint << 6) | (byte(at + i) & 0x3fu);
    }
    // The shortest form only, no surrogates, nothing past the last code point.
    static const unsigned int smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < smallest[length] || (codePoint >= 0xd800 && codePoint <= 0xdfff) ||
        codePoint > 0x10ffff)
        return 0;
    return length;
}

std::string printable(const std::string& text, bool keepLineBreaks) {
    std::string out;
    out.reserve(text.size());
    // Invariant: text[0, i) is in `out`, each byte either as it is or escaped.
    for (std::size_t i = 0; i < text.size();) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        std::size_t length = utf8SequenceLength(text, i);
        bool control = (byte < 0x20 && !(keepLineBreaks && byte == '\n')) || byte == 0x7f;
        if (length == 0 || control) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            out += escape;
            ++i;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}
