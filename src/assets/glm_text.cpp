#include "assets/glm_text.h"

#include <charconv>
#include <cmath>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isLineBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

bool GlmText::nextToken(std::string_view& token) {
    while (pos < size && isBlank(data[pos])) {
        if (data[pos] == '\n')
            ++line;
        ++pos;
    }
    if (pos >= size)
        return false;
    std::size_t start = pos;
    while (pos < size && !isBlank(data[pos]))
        ++pos;
    tokenLine = line;
    token = std::string_view(data + start, pos - start);
    return true;
}

bool GlmText::peekToken(std::string_view& token) {
    std::size_t savedPos = pos;
    int savedLine = line;
    int savedTokenLine = tokenLine;
    bool found = nextToken(token);
    pos = savedPos;
    line = savedLine;
    tokenLine = savedTokenLine;
    return found;
}

void GlmText::skipLine() {
    while (pos < size && data[pos] != '\n')
        ++pos;
    if (pos < size) {
        ++pos;
        ++line;
    }
}

std::string_view GlmText::restOfLine() {
    std::size_t start = pos;
    while (pos < size && data[pos] != '\n')
        ++pos;
    std::size_t end = pos;
    if (pos < size) {
        ++pos;
        ++line;
    }
    if (end > start && data[end - 1] == '\r')
        --end;
    return std::string_view(data + start, end - start);
}

int GlmText::readFloats(float* out, int count) {
    std::string_view rest = restOfLine();
    int read = 0;
    std::size_t i = 0;
    while (read < count) {
        while (i < rest.size() && isLineBlank(rest[i]))
            ++i;
        std::size_t start = i;
        while (i < rest.size() && !isLineBlank(rest[i]))
            ++i;
        if (start == i || !glmParseFloat(rest.substr(start, i - start), out[read]))
            break;
        ++read;
    }
    return read;
}

std::string_view glmFirstWord(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    std::size_t end = start;
    while (end < text.size() && !isBlank(text[end]))
        ++end;
    return text.substr(start, end - start);
}

bool glmParseFloat(std::string_view text, float& value) {
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    float parsed = 0.0f;
    auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}
